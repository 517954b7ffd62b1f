// Settings (INI) file access with the semantics the program's settings always had: a missing
// file, section or key reads as the default; sections and keys match case-insensitively;
// writing one key keeps every other section and key of the file.
#pragma once

#include <cstdint>
#include <string>

namespace zarni {

// The integer value of `key` in `section`: leading sign and digits of the value, 0 when the
// value has none; `defaultValue` when the file, section or key is missing. The result is the
// unsigned value the settings calls always returned.
uint32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue,
                       const std::string& path);

// The text value of `key` ("" trimmed), or `defaultValue` when missing.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& path);

// Sets `key` in `section` to `value`, creating the file, section or key as needed.
// Returns false when the file cannot be written (the old file is then left as it was).
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path);

// Writes an integer as signed decimal text.
bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value,
                     const std::string& path);

// Where the settings file is: $ZARNI_INI when set; else the executable's path with its
// three-letter extension replaced by "ini" (or ".ini" appended when it has none) when that
// folder is writable; else $XDG_CONFIG_HOME/zarni/zarni.ini (~/.config when unset).
std::string SettingsPath();

// The rule above with its inputs given, for tests: `executable` is the program's path,
// `folderWritable` whether its folder can be written, `env` the two variables ("" = unset).
std::string SettingsPathFor(const std::string& executable, bool folderWritable,
                            const std::string& zarniIni, const std::string& xdgConfigHome,
                            const std::string& home);

}  // namespace zarni
