// The process-wide state of the program and the two ways it starts other programs.
#include "ui/app_state.h"

#include <unistd.h>

#include <wx/utils.h>
#include <cstdio>

namespace zarni {

namespace {

bool StartInstanceWithExecute(const std::vector<std::string>& arguments) {
    std::vector<wxString> args{wxString::FromUTF8(ExecutablePath())};
    for (const std::string& a : arguments)
        args.push_back(wxString::FromUTF8(a));
    std::vector<const wchar_t*> argv;
    for (const wxString& a : args)
        argv.push_back(a.wc_str());
    argv.push_back(nullptr);
    return wxExecute(argv.data(), wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER) > 0;
}

bool OpenWithDesktopApplication(const std::string& path) {
    return wxLaunchDefaultApplication(wxString::FromUTF8(path));
}

}  // namespace

AppState& App() {
    static AppState state = [] {
        AppState s;
        s.startInstance = StartInstanceWithExecute;
        s.openWithDesktop = OpenWithDesktopApplication;
        return s;
    }();
    return state;
}

std::string BuildMainCaption() {
    char caption[64];
    std::snprintf(caption, sizeof caption, "%s_ver%d.%s", "Zarni!", 0, "1a");
    return caption;
}

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "/proc/self/exe";
    return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace zarni
