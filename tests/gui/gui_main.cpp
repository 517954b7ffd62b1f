// Entry of the GUI tests: the toolkit is set up once for the whole run (it needs a display;
// `make test` provides Xvfb), settings go to a private file, and wx assertions fail the test
// that triggered them instead of opening a dialog.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
    ADD_FAILURE() << "wx assertion at " << file.utf8_string() << ":" << line << " in "
                  << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the cases (ctest's discovery at build time) needs neither a display nor the
    // toolkit.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0') {
        std::fprintf(stderr, "gui_tests need an X display (run them through `make test`).\n");
        return 1;
    }
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("zarni-gui-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("ZARNI_INI", (home / "zarni.ini").c_str(), 1);
    // Recovery copies go to the run's own folder, never to the user's.
    setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);

    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "gui_tests: the toolkit could not be started.\n");
        return 1;
    }
    wxSetAssertHandler(AssertToFailure);
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(home);
    return result;
}
