// Settings (INI) file access with the semantics the program's settings always had: a missing
// file, section or key reads as the default; sections and keys match case-insensitively;
// writing one key keeps every other section and key of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zarni {

// The file format understood here: "[Section]" lines open a section, "key=value" lines inside
// a section hold values (whitespace around the key and the value is ignored, and one pair of
// matching quotes around a value is removed), lines starting with ';' are comments. Sections
// and keys compare case-insensitively in ASCII; the first occurrence of a section, and of a
// key inside it, is the one read and written. LF and CR LF line ends are both read; a leading
// UTF-8 byte-order mark is ignored. Every call reads the file afresh: nothing is cached.

// The integer value of `key` in `section`: leading sign and decimal digits of the value, 0
// when the value has none ("abc"), digits beyond 32 bits wrapping around; `defaultValue` when
// the file, section or key is missing or the value is empty. The result is the unsigned value
// the settings calls always returned, so a stored "-1" reads as 4294967295.
uint32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue,
                       const std::string& path);

// The text value of `key` (trimmed, unquoted), or `defaultValue` when missing.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& path);

// A settings file's bytes parsed once, for a reader that wants many keys: Int and String read
// exactly as the two calls above would from a file holding these bytes. Any bytes are accepted.
class ProfileText {
  public:
    explicit ProfileText(const std::string& bytes);
    uint32_t Int(const std::string& section, const std::string& key, int32_t defaultValue) const;
    std::string String(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const;

  private:
    struct Lines;
    std::shared_ptr<const Lines> lines_;
};

// The file at `path` parsed; an empty one when it is missing or cannot be read.
ProfileText ReadProfile(const std::string& path);

// Sets `key` in `section` to `value`, creating the file's folder, the file, the section or the
// key as needed. An existing key keeps its line position and spelling; a new key goes after
// the last line of its section, a new section at the end of the file; every other line is
// written back byte for byte, and new lines follow the file's line-end style.
// The file is replaced through the durable writer (platform/files.h).
// Returns false when the file cannot be read or written (the old file is then left as it was)
// and when the section or key is empty or any of the three texts would break the line format
// (a line break, '=' in a key or ';' or '[' at its start, or ']' in a section).
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path);

// The edit WriteProfileString makes, on a file's bytes in memory: false (and `bytes` unchanged)
// for the names and values it refuses.
bool SetProfileValue(std::string& bytes, const std::string& section, const std::string& key,
                     const std::string& value);

// Writes an integer as signed decimal text.
bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value,
                     const std::string& path);

// Where the settings file is: $ZARNI_INI when set; else the executable's path with its
// three-letter extension replaced by "ini" (or ".ini" appended when it has none) when that
// folder is writable; else $XDG_CONFIG_HOME/zarni/zarni.ini (~/.config when unset).
std::string SettingsPath();

// The rule above with its inputs given, for tests: `executable` is the program's path ("" when
// unknown), `folderWritable` whether its folder can be written, the other three the
// environment variables ("" = unset). A file name whose extension is not three characters long
// ("zarni.AppImage") counts as having none and gets ".ini" appended. A relative
// XDG_CONFIG_HOME is ignored, as the base-directory rules require. Returns "" when neither the
// executable's folder nor a home folder is available; reads then give defaults and writes fail.
std::string SettingsPathFor(const std::string& executable, bool folderWritable,
                            const std::string& zarniIni, const std::string& xdgConfigHome,
                            const std::string& home);

}  // namespace zarni
