// Path and command-line rules of the File commands.
#include "rules/file_names.h"

#include <algorithm>
#include <filesystem>

namespace zarni {

std::string ForceExtension(const std::string& path, const std::string& extension) {
    // UTF-8 continuation bytes are never '/', '\\' or '.', so a byte scan is safe for any
    // file name the system hands us.
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return path + "." + extension;
    return path.substr(0, dot + 1) + extension;
}

const std::vector<FileFilter>& SaveAsFilters() {
    static const std::vector<FileFilter> filters{{" Zarni!File(*.zarni)", "*.zarni"}};
    return filters;
}

const std::vector<FileFilter>& ExportFilters() {
    static const std::vector<FileFilter> filters{{" PovRay(*.pov)", "*.pov"},
                                                 {" POVRay(*.inc)", "*.inc"},
                                                 {"POV-Ray 3.7 Scene(*.pov)", "*.pov"},
                                                 {"POV-Ray 3.7 Include(*.inc)", "*.inc"},
                                                 {"Wavefront OBJ(*.obj)", "*.obj"},
                                                 {"STL binary(*.stl)", "*.stl"},
                                                 {"glTF 2.0 binary(*.glb)", "*.glb"}};
    return filters;
}

std::string WildcardFor(const std::vector<FileFilter>& filters) {
    std::string out;
    for (const FileFilter& f : filters) {
        if (!out.empty()) out += '|';
        out += f.text + '|' + f.pattern;
    }
    return out;
}

int DialogIndexFor(int storedIndex, int filterCount) {
    if (storedIndex < 1 || storedIndex > filterCount) return 0;
    return storedIndex - 1;
}

int StoredIndexFor(int dialogIndex) {
    return dialogIndex < 0 ? 1 : dialogIndex + 1;
}

ExportKind ExportKindFor(int storedIndex) {
    switch (storedIndex) {
        case 1:
            return ExportKind::Scene;
        case 2:
            return ExportKind::Include;
        case 3:
            return ExportKind::Scene37;
        case 4:
            return ExportKind::Include37;
        case 5:
            return ExportKind::Obj;
        case 6:
            return ExportKind::Stl;
        case 7:
            return ExportKind::Glb;
        default:
            return ExportKind::None;
    }
}

const char* ExportExtension(ExportKind kind) {
    switch (kind) {
        case ExportKind::Scene:
        case ExportKind::Scene37:
            return "pov";
        case ExportKind::Include:
        case ExportKind::Include37:
            return "inc";
        case ExportKind::Obj:
            return "obj";
        case ExportKind::Stl:
            return "stl";
        case ExportKind::Glb:
            return "glb";
        case ExportKind::None:
            break;
    }
    return "";
}

std::vector<std::string> HelpFileCandidates(const std::string& executable) {
    const size_t slash = executable.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : executable.substr(0, slash);
    // The prefix is the folder's parent: cut at its last separator; "." and a relative name
    // without one are stepped out of by name.
    std::string prefix;
    const size_t up = folder.find_last_of("/\\");
    if (up != std::string::npos) {
        prefix = folder.substr(0, up);
    } else if (folder == ".") {
        prefix = "..";
    } else if (!folder.empty()) {
        prefix = ".";
    }
    return {folder + "/ReadMe.txt", prefix + "/share/doc/zarni/ReadMe.txt"};
}

std::string HelpFilePath(const std::string& executable,
                         const std::function<bool(const std::string&)>& exists) {
    const std::vector<std::string> candidates = HelpFileCandidates(executable);
    for (const std::string& path : candidates) {
        if (exists(path)) return path;
    }
    return candidates.front();
}

bool IsFileArgument(const std::string& argument) {
    return !argument.empty() && argument[0] != '-';
}

std::string AbsoluteArgument(const std::string& argument, const std::string& currentDir) {
    std::filesystem::path p(argument);
    if (!p.is_absolute()) p = std::filesystem::path(currentDir) / p;
    return p.lexically_normal().string();
}

void HandleCommandLine(const std::vector<std::string>& arguments, const std::string& currentDir,
                       const std::function<bool()>& holdsDocument,
                       const std::function<void(const std::string&)>& open,
                       const std::function<void(const std::vector<std::string>&)>& handOn) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!IsFileArgument(arguments[i])) continue;
        if (holdsDocument()) {
            std::vector<std::string> rest;
            for (size_t k = i; k < arguments.size(); ++k) {
                rest.push_back(IsFileArgument(arguments[k])
                                   ? AbsoluteArgument(arguments[k], currentDir)
                                   : arguments[k]);
            }
            handOn(rest);
            return;
        }
        open(AbsoluteArgument(arguments[i], currentDir));
    }
}

std::string MessagePath(const std::string& path, size_t columns) {
    if (columns < 2) columns = 2;
    std::string out;
    size_t lineStart = 0;                // in `out`
    size_t used = 0;                     // columns on the present line
    size_t breakAt = std::string::npos;  // in `out`, just after the line's last '/'
    size_t usedAtBreak = 0;
    for (size_t i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        length = std::min(length, path.size() - i);
        const size_t width = c < 0x80 ? 1 : 2;
        if (c == '\n') {
            out += '\n';
            lineStart = out.size();
            used = 0;
            breakAt = std::string::npos;
            ++i;
            continue;
        }
        if (used + width > columns) {
            if (breakAt != std::string::npos && breakAt > lineStart) {
                out.insert(breakAt, 1, '\n');
                lineStart = breakAt + 1;
                used -= usedAtBreak;
            }
            if (used + width > columns) {
                out += '\n';
                lineStart = out.size();
                used = 0;
            }
            breakAt = std::string::npos;
        }
        out.append(path, i, length);
        used += width;
        if (c == '/') {
            breakAt = out.size();
            usedAtBreak = used;
        }
        i += length;
    }
    return out;
}

std::string DocumentCaption(const std::string& caption, const std::string& documentPath,
                            bool modified) {
    std::string text = caption;
    if (!documentPath.empty()) {
        const size_t slash = documentPath.find_last_of('/');
        text +=
            " - " + (slash == std::string::npos ? documentPath : documentPath.substr(slash + 1));
    }
    if (modified) text += " *";
    return text;
}

}  // namespace zarni
