// The render window in the real program (needs an X display and POV-Ray; skips without them):
// F5 until the window is on screen, and a 320 x 240 render of the sample from F5 to the
// picture, with the longest turn of the event loop while POV-Ray works.
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/start.h"
#include "resources/ids.h"
#include "ui/app_state.h"
#include "ui/main_frame.h"
#include "ui/render_window.h"

namespace {

using namespace zarni;
using Clock = std::chrono::steady_clock;

MainFrame* g_frame = nullptr;

void Turn() {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
}

void Settle() {
    for (int i = 0; i < 20; ++i)
        Turn();
}

void PressF5() {
    wxCommandEvent event(wxEVT_MENU, kCmdRender);
    event.SetEventObject(g_frame);
    g_frame->GetEventHandler()->ProcessEvent(event);
}

// F5 with no render window: until the window is shown (its render has started).
void BM_F5ToWindowShown(benchmark::State& state) {
    for (auto _ : state) {
        PressF5();
        while (!TheRenderWindow() || !TheRenderWindow()->IsShown())
            Turn();
        state.PauseTiming();
        CloseRenderWindow();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_F5ToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);

// F5 to the finished 320 x 240 picture of the sample; "longest_turn_ms" is the longest time the
// event loop spent in one turn while POV-Ray rendered.
void BM_Render320x240(benchmark::State& state) {
    double longest = 0.0;
    for (auto _ : state) {
        PressF5();
        RenderWindow* window = TheRenderWindow();
        window->SetRenderSize(320, 240);
        window->Render();
        auto last = Clock::now();
        while (window->job().running()) {
            Turn();
            const auto now = Clock::now();
            longest =
                std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        }
        if (!window->hasPicture()) state.SkipWithError(window->StatusText().utf8_string().c_str());
    }
    state.counters["longest_turn_ms"] = longest;
}
BENCHMARK(BM_Render320x240)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::printf("bench_ui_render: needs an X display (Xvfb will do); skipped\n");
        return 0;
    }
    if (std::system("command -v povray >/dev/null 2>&1") != 0) {
        std::printf("bench_ui_render: needs POV-Ray (scripts/install-deps.sh); skipped\n");
        return 0;
    }
    const std::filesystem::path ini = std::filesystem::temp_directory_path() /
                                      ("zarni-bench-" + std::to_string(getpid()) + ".ini");
    setenv("ZARNI_INI", ini.c_str(), 1);
    // No recovery copies of other runs: their offer would wait for an answer.
    const std::filesystem::path state =
        std::filesystem::temp_directory_path() / ("zarni-bench-state-" + std::to_string(getpid()));
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_ui_render: the toolkit could not be started\n");
        return 1;
    }
    // The sample beside the sources; the build names this file relative to the build folder,
    // two above the program.
    std::filesystem::path source(__FILE__);
    if (source.is_relative())
        source =
            std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
    const std::filesystem::path sample =
        source.lexically_normal().parent_path().parent_path() / "samples" / "sample.zarni";
    g_frame = StartProgram({sample.string()});
    Settle();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    App().doc.modified = false;
    g_frame->ExitRoutine();
    Settle();
    wxEntryCleanup();
    std::filesystem::remove(ini);
    std::filesystem::remove_all(state);
    return 0;
}
