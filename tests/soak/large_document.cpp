// The large-document run: the benchmarks' document of 1,000,000 points opened in the real
// program under a display, every anchor selected with the A key, the selection dragged on the
// palette's X field with the pointer, the drag undone with Ctrl+Z and the document saved with
// Ctrl+S. Prints, for each stage and in all, the longest time the event loop did not turn (a
// 10 ms timer and the idle events mark the turns) and the peak memory of the process.
//
//   large_document [POINTS]      (needs an X display; run it under xvfb-run)
#include <sys/resource.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/big_document.h"
#include "formats/native_file.h"
#include "rules/palette.h"
#include "ui/tool_palette.h"
#include "ui/app_state.h"
#include "ui/document_commands.h"
#include "app/start.h"
#include "ui/main_frame.h"
#include "ui/views.h"

namespace {

using namespace zarni;
using Clock = std::chrono::steady_clock;

// The turns of the event loop: the longest gap between two of them since the stage began.
struct Turns {
    Clock::time_point last = Clock::now();
    double longestMs = 0.0;
    void Turn() {
        const Clock::time_point now = Clock::now();
        longestMs =
            std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    }
    void Restart() {
        last = Clock::now();
        longestMs = 0.0;
    }
} g_turns;

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Runs the event loop until `done` holds; false after `seconds`.
template <typename Condition>
bool RunUntil(Condition done, double seconds = 600.0) {
    const Clock::time_point end =
        Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!done()) {
        if (Clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
    return true;
}

double g_worstMs = 0.0;
bool g_failed = false;

// Runs one stage: `act` starts it, `done` says when the program has finished it (views drawn).
template <typename Act, typename Condition>
void Stage(const char* name, Act act, Condition done) {
    const Clock::time_point start = Clock::now();
    g_turns.Restart();
    act();
    const bool finished = RunUntil([&] { return done() && !Views()->RedrawPending(); });
    g_turns.Turn();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    g_worstMs = std::max(g_worstMs, g_turns.longestMs);
    std::printf("%-34s %9.0f ms   longest pause %7.0f ms   peak memory %7.0f MB%s\n", name, ms,
                g_turns.longestMs, PeakMegabytes(), finished ? "" : "   (did not finish)");
    std::fflush(stdout);
    if (!finished) g_failed = true;
}

// Any dialog the run did not expect (a save dialog, a message) is answered so that the run
// never waits on it, and counted as a failure.
class NoDialogs : public wxModalDialogHook {
  protected:
    int Enter(wxDialog* dialog) override {
        std::fprintf(stderr, "large_document: unexpected dialog \"%s\"\n",
                     dialog->GetTitle().utf8_string().c_str());
        g_failed = true;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0') {
        std::fprintf(stderr, "large_document: needs an X display (run it under xvfb-run).\n");
        return 1;
    }
    const int32_t points = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zarni-large-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    setenv("ZARNI_INI", (folder / "zarni.ini").c_str(), 1);
    setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    const std::string path = (folder / "big.zarni").string();
    {
        const Document doc = bench::BigDocument(points, points / 2, points / 10);
        if (WriteDocumentFile(doc, path) != kFileOk) {
            std::fprintf(stderr, "large_document: cannot write %s\n", path.c_str());
            return 1;
        }
    }

    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) return 1;
    NoDialogs dialogs;
    dialogs.Register();
    AppState& app = App();
    app.startInstance = [](const std::vector<std::string>&) { return true; };
    app.openWithDesktop = [](const std::string&) { return true; };

    wxTimer ticker;
    ticker.Bind(wxEVT_TIMER, [](wxTimerEvent&) { g_turns.Turn(); });
    wxTheApp->Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
        g_turns.Turn();
        e.Skip();
    });
    ticker.Start(10);

    MainFrame* frame = StartProgram({});
    frame->Raise();
    RunUntil([] { return !Views()->RedrawPending(); }, 30);
    std::printf(
        "large document: %d points, %d segments, %d patches; peak memory at start %.0f MB\n",
        points, points / 2, points / 10, PeakMegabytes());

    wxUIActionSimulator sim;
    ViewPanel* view = frame->views().view(0);
    const auto& objects = app.doc.objects;
    const size_t anchors = static_cast<size_t>((points + 3) / 4);

    Stage(
        "open (command line file)", [&] { OpenCommandLineFile(frame, path); },
        [&] { return objects.size() == 1 && objects[0].pointCount() == points; });
    Stage(
        "select all (A key)",
        [&] {
            sim.MouseMove(view->GetScreenRect().GetPosition() + wxPoint(40, 40));
            view->SetFocus();
            sim.Char('A');
        },
        [&] { return app.doc.selectedAnchors.size() == anchors; });

    const int32_t active = app.doc.activePoint;
    const float x0 = active >= 0 ? objects[0].points[active].x : 0.0f;
    const CellRect& field = PaletteCells()[kCellFieldX].rect;
    const wxPoint fieldAt = frame->ClientToScreen(
        wxPoint((field.left + field.right) / 2, (field.top + field.bottom) / 2));
    Stage(
        "drag the X field (10 moves)",
        [&] {
            sim.MouseMove(fieldAt);
            sim.MouseDown();
            for (int i = 1; i <= 10; ++i)
                sim.MouseMove(fieldAt + wxPoint(10 * i, 0));
            sim.MouseUp();
        },
        [&] {
            return !ThePaletteMachine()->dragging() && active >= 0 &&
                   objects[0].points[active].x != x0;
        });
    Stage(
        "undo the drag (Ctrl+Z)",
        [&] {
            view->SetFocus();
            sim.Char('Z', wxMOD_CONTROL);
        },
        [&] { return active >= 0 && objects[0].points[active].x == x0; });
    Stage(
        "save (Ctrl+S)",
        [&] {
            view->SetFocus();
            sim.Char('S', wxMOD_CONTROL);
        },
        [&] { return !app.doc.modified; });

    std::printf("large document: longest event-loop pause %.0f ms, peak memory %.0f MB\n",
                g_worstMs, PeakMegabytes());
    ticker.Stop();
    app.doc.modified = false;
    frame->ExitRoutine();
    RunUntil([] { return TheMainFrame() == nullptr; }, 30);
    dialogs.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::filesystem::remove_all(folder);
    return g_failed ? 1 : 0;
}
