// INI profile reading and writing, and where the settings file lives.
#include "platform/profile.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace zarni {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

enum class LineKind { kOther, kSection, kKey };

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n" or "" for a last line without one
    LineKind kind = LineKind::kOther;
    std::string name;  // section or key name, trimmed
    std::string value;
};

void Classify(Line& line, bool first) {
    std::string_view s = line.text;
    if (first && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    s = Trim(s);
    if (s.empty() || s.front() == ';') return;
    if (s.front() == '[') {
        s.remove_prefix(1);
        const size_t close = s.find(']');
        line.kind = LineKind::kSection;
        line.name = std::string(Trim(s.substr(0, close)));
        return;
    }
    const size_t eq = s.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view key = Trim(s.substr(0, eq));
    if (key.empty()) return;
    std::string_view value = Trim(s.substr(eq + 1));
    // Hand-edited files quote values with spaces; the quotes are not part of the value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    line.kind = LineKind::kKey;
    line.name = std::string(key);
    line.value = std::string(value);
}

std::vector<Line> SplitLines(const std::string& bytes) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            const bool crlf = nl > pos && bytes[nl - 1] == '\r';
            line.text = bytes.substr(pos, nl - pos - (crlf ? 1 : 0));
            line.end = crlf ? "\r\n" : "\n";
            pos = nl + 1;
        }
        Classify(line, lines.empty());
        lines.push_back(std::move(line));
    }
    return lines;
}

// Where a key is, or where it would go.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    size_t keyLine = 0;     // when keyFound
    size_t insertLine = 0;  // when the section is found but the key is not
};

Location Find(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
    Location loc;
    size_t i = 0;
    while (i < lines.size() &&
           !(lines[i].kind == LineKind::kSection && SameName(lines[i].name, section))) {
        ++i;
    }
    if (i == lines.size()) return loc;
    loc.sectionFound = true;
    loc.insertLine = i + 1;
    for (++i; i < lines.size() && lines[i].kind != LineKind::kSection; ++i) {
        if (lines[i].kind == LineKind::kKey && SameName(lines[i].name, key)) {
            loc.keyFound = true;
            loc.keyLine = i;
            return loc;
        }
        // A new key goes after the section's last non-blank line, so that the blank line
        // separating it from the next section stays where it is.
        if (!Trim(lines[i].text).empty()) loc.insertLine = i + 1;
    }
    return loc;
}

Line MakeLine(std::string text, const std::string& end) {
    Line line;
    line.text = std::move(text);
    line.end = end;
    return line;
}

// False when the section or key is missing.
bool FindValue(const std::vector<Line>& lines, const std::string& section, const std::string& key,
               std::string& value) {
    const Location loc = Find(lines, std::string(Trim(section)), std::string(Trim(key)));
    if (!loc.keyFound) return false;
    value = lines[loc.keyLine].value;
    return true;
}

uint32_t IntOfValue(const std::string& value) {
    size_t i = 0;
    bool negative = false;
    if (value[0] == '+' || value[0] == '-') {
        negative = value[0] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps, which is what the old call did with overlong numbers.
    uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10u + static_cast<uint32_t>(value[i] - '0');
    }
    return negative ? 0u - result : result;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// mkdir -p: the settings folder under ~/.config usually does not exist on a first run.
bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (!MakeFolders(ParentFolder(folder))) return false;
    return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string StripTrailingSlashes(std::string s) {
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

}  // namespace

struct ProfileText::Lines {
    std::vector<Line> lines;
};

ProfileText::ProfileText(const std::string& bytes)
    : lines_(std::make_shared<Lines>(Lines{SplitLines(bytes)})) {}

uint32_t ProfileText::Int(const std::string& section, const std::string& key,
                          int32_t defaultValue) const {
    std::string value;
    if (!FindValue(lines_->lines, section, key, value) || value.empty()) {
        return static_cast<uint32_t>(defaultValue);
    }
    return IntOfValue(value);
}

std::string ProfileText::String(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    std::string value;
    if (!FindValue(lines_->lines, section, key, value)) return defaultValue;
    return value;
}

ProfileText ReadProfile(const std::string& path) {
    std::string bytes;
    if (path.empty() || !ReadWholeFile(path, bytes)) bytes.clear();
    return ProfileText(bytes);
}

uint32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue,
                       const std::string& path) {
    return ReadProfile(path).Int(section, key, defaultValue);
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& path) {
    return ReadProfile(path).String(section, key, defaultValue);
}

bool SetProfileValue(std::string& bytes, const std::string& section, const std::string& key,
                     const std::string& value) {
    if (Trim(section).empty() || Trim(key).empty()) return false;
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
    if (section.find(']') != std::string::npos || key.find('=') != std::string::npos) {
        return false;
    }
    // A key line starting so would read back as a comment or a section.
    const char keyStart = Trim(key).front();
    if (keyStart == ';' || keyStart == '[') return false;
    std::vector<Line> lines = SplitLines(bytes);
    std::string newEnd = "\n";
    for (const Line& line : lines) {
        if (!line.end.empty()) {
            newEnd = line.end;
            break;
        }
    }
    const std::string keyText(Trim(key));
    const std::string sectionText(Trim(section));

    const Location loc = Find(lines, sectionText, keyText);
    if (loc.keyFound) {
        Line& line = lines[loc.keyLine];
        line.text = line.name + "=" + value;
    } else {
        std::vector<Line> added;
        if (!loc.sectionFound) {
            if (!lines.empty() && !Trim(lines.back().text).empty())
                added.push_back(MakeLine("", newEnd));
            added.push_back(MakeLine("[" + sectionText + "]", newEnd));
        }
        added.push_back(MakeLine(keyText + "=" + value, newEnd));
        const size_t at = loc.sectionFound ? loc.insertLine : lines.size();
        // Only the file's last line can lack a line end, and new lines cannot follow it so.
        if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = newEnd;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    }

    bytes.clear();
    for (const Line& line : lines) {
        bytes += line.text;
        bytes += line.end;
    }
    return true;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& path) {
    if (path.empty()) return false;
    std::string bytes;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        // Never replace a file we could not read: its other settings would be lost.
        if (!ReadWholeFile(path, bytes)) return false;
    } else if (errno != ENOENT) {
        return false;
    }
    if (!SetProfileValue(bytes, section, key, value)) return false;
    if (!MakeFolders(ParentFolder(path))) return false;
    return WriteFileAtomically(path, [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    });
}

bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value,
                     const std::string& path) {
    return WriteProfileString(section, key, std::to_string(value), path);
}

std::string SettingsPathFor(const std::string& executable, bool folderWritable,
                            const std::string& zarniIni, const std::string& xdgConfigHome,
                            const std::string& home) {
    if (!zarniIni.empty()) return zarniIni;
    const size_t slash = executable.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (folderWritable && nameStart < executable.size()) {
        const size_t dot = executable.find_last_of('.');
        // A leading dot marks a hidden file, not an extension.
        const bool threeLetterExtension =
            dot != std::string::npos && dot > nameStart && executable.size() - dot - 1 == 3;
        std::string path =
            threeLetterExtension ? executable.substr(0, dot) + ".ini" : executable + ".ini";
        // A program itself named *.ini must not overwrite itself with its settings.
        if (path == executable) path += ".ini";
        return path;
    }
    if (!xdgConfigHome.empty() && xdgConfigHome[0] == '/') {
        return StripTrailingSlashes(xdgConfigHome) + "/zarni/zarni.ini";
    }
    if (!home.empty()) return StripTrailingSlashes(home) + "/.config/zarni/zarni.ini";
    return "";
}

std::string SettingsPath() {
    const std::string zarniIni = EnvOrEmpty("ZARNI_INI");
    if (!zarniIni.empty()) return zarniIni;

    std::string executable;
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n > 0 && static_cast<size_t>(n) < buffer.size()) {
        executable.assign(buffer.data(), static_cast<size_t>(n));
    }
    bool writable = false;
    if (!executable.empty()) {
        const std::string folder = ParentFolder(executable);
        writable = access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    }

    std::string home = EnvOrEmpty("HOME");
    if (home.empty()) {
        // Services and some sandboxes run without HOME; the password entry still knows it.
        if (const passwd* pw = getpwuid(getuid())) {
            if (pw->pw_dir) home = pw->pw_dir;
        }
    }
    return SettingsPathFor(executable, writable, zarniIni, EnvOrEmpty("XDG_CONFIG_HOME"), home);
}

}  // namespace zarni
