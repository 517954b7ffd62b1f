// The render window in the running program: F5 opens it over a render of the document, the
// picture arrives while the program keeps answering, Esc and Cancel end POV-Ray at once and
// closing the window or the program leaves no POV-Ray and no folder behind.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <wx/image.h>

#include "formats/settings_file.h"
#include "gui_fixture.h"
#include "resources/ids.h"
#include "ui/render_window.h"

namespace zarni {
namespace {

using RenderWindowTest = GuiTest;

bool HavePovray() {
    return std::system("command -v povray >/dev/null 2>&1") == 0;
}

// The processes whose parent is this program, by name.
std::vector<std::string> ChildProcesses() {
    std::vector<std::string> names;
    DIR* proc = opendir("/proc");
    if (!proc) return names;
    const std::string self = std::to_string(getpid());
    while (dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        std::ifstream in(std::string("/proc/") + entry->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // "PID (NAME) STATE PPID ...": the name may hold blanks, the last ')' ends it.
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        std::string state, parent;
        rest >> state >> parent;
        if (parent == self) names.push_back(stat.substr(open + 1, close - open - 1));
    }
    closedir(proc);
    return names;
}

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0;
}

// A key as it reaches the program: the key filter sees the char hook first.
void PressKey(wxWindow* window, int key) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
}

// A render that takes POV-Ray a long while: the largest picture at the best quality.
void StartLongRender(RenderWindow* window) {
    window->SetRenderSize(RenderWindow::kMaxWidth, RenderWindow::kMaxHeight);
    window->Render();
}

TEST_F(RenderWindowTest, F5OpensTheWindowAndARenderShowsThePicture) {
    if (!HavePovray()) GTEST_SKIP() << "POV-Ray is not installed (scripts/install-deps.sh)";
    MainFrame* frame = Start({std::string(ZARNI_SOURCE_DIR) + "/samples/sample.zarni"});
    ASSERT_EQ(TheRenderWindow(), nullptr);
    PressKey(frame->views().view(0), WXK_F5);
    ASSERT_TRUE(WaitUntil([] { return TheRenderWindow() && TheRenderWindow()->IsShown(); }));
    RenderWindow* window = TheRenderWindow();
    EXPECT_EQ(window->GetTitle(), "Render - sample.zarni");
    // The perspective view's own size, held to the window's range.
    const ViewCamera& camera = frame->views().view(0)->camera;
    EXPECT_EQ(window->renderSize().x,
              std::clamp(camera.width, RenderWindow::kMinWidth, RenderWindow::kMaxWidth));
    EXPECT_EQ(window->renderSize().y,
              std::clamp(camera.height, RenderWindow::kMinHeight, RenderWindow::kMaxHeight));
    EXPECT_TRUE(window->job().running());

    // A smaller picture, started again with F5 in the window while the first one runs.
    window->SetRenderSize(320, 240);
    const pid_t first = window->job().pid();
    PressKey(window, WXK_F5);
    ASSERT_TRUE(WaitUntil([&] { return window->job().pid() != first; }));
    // The program goes on working meanwhile: a command edits the document.
    auto pointCount = [] {
        size_t n = 0;
        for (const PatchObject& obj : App().doc.objects)
            n += obj.points.size();
        return n;
    };
    const size_t points = pointCount();
    Command(frame, kCmdSphere);
    EXPECT_GT(pointCount(), points);
    ASSERT_TRUE(WaitUntil([&] { return !window->job().running(); }, 60.0))
        << window->StatusText().utf8_string();
    ASSERT_TRUE(window->hasPicture()) << window->StatusText().utf8_string();
    EXPECT_EQ(window->pictureSize(), wxSize(320, 240));
    EXPECT_TRUE(ChildProcesses().empty());

    // Save writes the picture as a PNG.
    const std::string png = Path("render.png");
    std::string why;
    ASSERT_TRUE(window->SavePicture(png, &why)) << why;
    wxImage saved;
    ASSERT_TRUE(saved.LoadFile(png, wxBITMAP_TYPE_PNG));
    EXPECT_EQ(saved.GetSize(), wxSize(320, 240));
    // The corner is the views' background, as the scene gives it.
    const auto& back = App().settings.backColorRGBA;
    EXPECT_NEAR(saved.GetRed(0, 0), back[0] * 255.0f, 1.0f);
    EXPECT_NEAR(saved.GetGreen(0, 0), back[1] * 255.0f, 1.0f);
    EXPECT_NEAR(saved.GetBlue(0, 0), back[2] * 255.0f, 1.0f);
}

TEST_F(RenderWindowTest, EscAndCancelEndPovrayAtOnce) {
    if (!HavePovray()) GTEST_SKIP() << "POV-Ray is not installed (scripts/install-deps.sh)";
    MainFrame* frame = Start({std::string(ZARNI_SOURCE_DIR) + "/samples/sample.zarni"});
    Command(frame, kCmdRender);
    RenderWindow* window = TheRenderWindow();
    ASSERT_NE(window, nullptr);
    for (const char* how : {"Esc", "Cancel"}) {
        SCOPED_TRACE(how);
        StartLongRender(window);
        ASSERT_TRUE(window->job().running());
        const std::string folder = window->job().folder();
        ASSERT_TRUE(WaitUntil([] { return !ChildProcesses().empty(); }));
        EXPECT_EQ(ChildProcesses(), std::vector<std::string>{"povray"});
        if (std::string(how) == "Esc") {
            PressKey(window, WXK_ESCAPE);
        } else {
            window->CancelRender();
        }
        // Ended before the call returned: no process of ours, no folder.
        EXPECT_FALSE(window->job().running());
        EXPECT_EQ(ChildProcesses(), std::vector<std::string>{});
        EXPECT_FALSE(Exists(folder));
    }
    // Esc in the render window did not leave the program.
    Pump(50);
    EXPECT_EQ(TheMainFrame(), frame);
}

TEST_F(RenderWindowTest, ClosingTheWindowOrTheProgramEndsTheRender) {
    if (!HavePovray()) GTEST_SKIP() << "POV-Ray is not installed (scripts/install-deps.sh)";
    MainFrame* frame = Start({std::string(ZARNI_SOURCE_DIR) + "/samples/sample.zarni"});
    Command(frame, kCmdRender);
    RenderWindow* window = TheRenderWindow();
    ASSERT_NE(window, nullptr);
    StartLongRender(window);
    std::string folder = window->job().folder();
    ASSERT_TRUE(WaitUntil([] { return !ChildProcesses().empty(); }));
    window->Close();
    EXPECT_EQ(TheRenderWindow(), nullptr);
    EXPECT_EQ(ChildProcesses(), std::vector<std::string>{});
    EXPECT_FALSE(Exists(folder));

    // Again, and the program exits under it.
    Command(frame, kCmdRender);
    ASSERT_NE(TheRenderWindow(), nullptr);
    StartLongRender(TheRenderWindow());
    folder = TheRenderWindow()->job().folder();
    ASSERT_TRUE(WaitUntil([] { return !ChildProcesses().empty(); }));
    App().doc.modified = false;
    ASSERT_TRUE(frame->ExitRoutine());
    EXPECT_EQ(TheRenderWindow(), nullptr);
    EXPECT_EQ(ChildProcesses(), std::vector<std::string>{});
    EXPECT_FALSE(Exists(folder));
    Pump(30);
}

TEST_F(RenderWindowTest, ChoicesAreStoredAndAMissingPovraySaysSo) {
    MainFrame* frame = Start();
    Command(frame, kCmdRender);
    RenderWindow* window = TheRenderWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetTitle(), "Render - untitled");
    window->CancelRender();
    window->program = "no-such-povray-program";
    window->Render();
    EXPECT_FALSE(window->job().running());
    EXPECT_NE(window->StatusText().Find("POV-Ray"), wxNOT_FOUND);
    EXPECT_NE(window->StatusText().Find("Debian package povray"), wxNOT_FOUND);
    // The size is held to the window's range.
    window->SetRenderSize(100, 5000);
    EXPECT_EQ(window->renderSize(), wxSize(RenderWindow::kMinWidth, RenderWindow::kMaxHeight));
    // Quality and antialiasing go to the settings file with a render, and a new window opens
    // with them.
    window->SetChoices(4, true);
    window->Render();
    const RenderChoices stored = LoadRenderChoices(App().settingsPath);
    EXPECT_EQ(stored.quality, 4);
    EXPECT_TRUE(stored.antialias);
    window->Close();
    Command(frame, kCmdRender);
    ASSERT_NE(TheRenderWindow(), nullptr);
    EXPECT_EQ(TheRenderWindow()->choices().quality, 4);
    EXPECT_TRUE(TheRenderWindow()->choices().antialias);
    TheRenderWindow()->SetChoices(kPovrayDefaultQuality, false);
    TheRenderWindow()->Close();
}

}  // namespace
}  // namespace zarni
