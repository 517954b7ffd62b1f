// The tool palette in the real program (needs an X display; without one it says so and skips):
// rendering the strip and copying it to the window, and fifty X-field drag steps on the drawing
// benchmarks' document in the four-view layout, timed until the last frame is drawn, with the
// views drawn at every step (as they once were) and drawn when the event queue runs empty.
#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/draw_document.h"
#include "rules/palette.h"
#include "ui/tool_palette.h"
#include "ui/app_state.h"
#include "app/start.h"
#include "ui/main_frame.h"
#include "ui/views.h"

namespace {

using namespace zarni;

MainFrame* g_frame = nullptr;

// Runs the event loop until `done` holds.
template <typename Condition>
void RunUntil(Condition done) {
    while (!done()) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

void Settle() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }
}

// A document with a current point, so that every field shows a value.
void BM_StripRenderAndCopy(benchmark::State& state) {
    AppState& app = App();
    PaletteStrip* strip = g_frame->palette();
    int paints = 0;
    auto count = [&paints](wxPaintEvent& e) {
        ++paints;
        e.Skip();
    };
    g_frame->Bind(wxEVT_PAINT, count);
    for (auto _ : state) {
        strip->Redraw();
        g_frame->Update();  // the copy: the window's paint of the strip
    }
    g_frame->Unbind(wxEVT_PAINT, count);
    state.counters["paints"] = paints;
    state.counters["width"] = g_frame->GetClientSize().x;
    benchmark::DoNotOptimize(app.doc.objects.size());
}

// Rendering alone, without the window's paint.
void BM_StripRender(benchmark::State& state) {
    PaletteStrip* strip = g_frame->palette();
    for (auto _ : state)
        strip->Redraw();
    Settle();
}

// The window's own share of a copy: the strip invalidated and painted from the kept buffer.
void BM_StripCopyOnly(benchmark::State& state) {
    const wxRect strip(0, 0, g_frame->GetClientSize().x, PaletteStrip::kHeight);
    for (auto _ : state) {
        g_frame->RefreshRect(strip, false);
        g_frame->Update();
    }
}

// Steps the palette machine with a cursor the benchmark moves: the X field drag of a real
// pointer, one step per mouse message.
class SteppedHost : public PaletteHost {
  public:
    PalettePoint cursor;
    bool synchronous = false;
    PalettePoint CursorClient() override { return cursor; }
    PalettePoint CursorScreen() override { return cursor; }
    int32_t ClientWidth() override { return g_frame->GetClientSize().x; }
    uint32_t TickCount() override { return ++tick_; }
    uint32_t DoubleClickTime() override { return 0; }
    int32_t DoubleClickWidth() override { return 4; }
    uint8_t ButtonsDown() override { return kPalettePrimary; }
    bool ViewDragging() override { return false; }
    PaletteViews Views() override { return PaletteViews{}; }
    bool FourViews() override { return true; }
    void RedrawPalette() override { ::zarni::RedrawPalette(); }
    void RedrawAllViews() override {
        ::zarni::RedrawAllViews();
        if (synchronous) ::zarni::Views()->FlushRedraws();
    }
    void ToggleObjectList() override {}
    void ToggleViewLayout() override {}
    void CycleDisplayModes() override {}
    void SendCommand(int) override {}
    void ExtrudeWithDialog() override {}
    void LatheWithDialog() override {}
    void SaveDivLevel(int32_t) override {}

  private:
    uint32_t tick_ = 1000;
};

void LoadDrawDocument() {
    AppState& app = App();
    app.doc = bench::DrawBenchDocument();
    app.sw.divLevel = 20;
    PatchObject& obj = app.doc.objects[0];
    for (int32_t i = 0; i < obj.pointCount(); ++i)
        if (obj.points[i].anchor < 0) app.doc.selectedAnchors.push_back(i);
    app.doc.activePoint = app.doc.selectedAnchors.front();
    RebuildControlCaches(app.doc);
    RecomputePivot(app.doc, app.sw);
    if (!Views()->fourViews()) Views()->ToggleViewLayout();
    RedrawAllViews();
    Views()->FlushRedraws();
    Settle();
}

void DragSteps(benchmark::State& state, bool synchronous) {
    static const bool loaded = (LoadDrawDocument(), true);
    (void)loaded;
    AppState& app = App();
    SteppedHost host;
    host.synchronous = synchronous;
    PaletteMachine machine(app.doc, app.sw, host);
    const CellRect& field = PaletteCells()[kCellFieldX].rect;
    constexpr int kSteps = 50;
    const uint64_t drawsBefore = Views()->drawCount();
    for (auto _ : state) {
        host.cursor = PalettePoint{field.left + 5, field.top + 5};
        machine.ButtonDown();
        // The steps arrive as mouse messages do: queued faster than frames can be drawn.
        int done = 0;
        for (int i = 1; i <= kSteps; ++i) {
            wxTheApp->CallAfter([&host, &machine, &done, i, x0 = field.left + 5] {
                host.cursor.x = x0 + (i % 2 == 0 ? 1 : -1);
                machine.MouseMove();
                ++done;
            });
        }
        RunUntil([&] { return done == kSteps && !Views()->RedrawPending(); });
        machine.ButtonUp();
        Views()->FlushRedraws();
    }
    state.counters["framesPerDrag"] = benchmark::Counter(
        static_cast<double>(Views()->drawCount() - drawsBefore) / state.iterations());
}

void BM_FieldDrag50StepsDrawnEveryStep(benchmark::State& state) {
    DragSteps(state, true);
}
void BM_FieldDrag50StepsDrawnWhenIdle(benchmark::State& state) {
    DragSteps(state, false);
}

BENCHMARK(BM_StripRender)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_StripCopyOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_StripRenderAndCopy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FieldDrag50StepsDrawnEveryStep)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FieldDrag50StepsDrawnWhenIdle)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::printf("bench_ui_palette: needs an X display (Xvfb will do); skipped\n");
        return 0;
    }
    const std::filesystem::path ini = std::filesystem::temp_directory_path() /
                                      ("zarni-bench-" + std::to_string(getpid()) + ".ini");
    setenv("ZARNI_INI", ini.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv)) {
        std::fprintf(stderr, "bench_ui_palette: the toolkit could not be started\n");
        return 1;
    }
    g_frame = StartProgram({});
    Settle();
    // A current point with its fields showing values.
    AppState& app = App();
    PatchObject& obj = *app.doc.Current();
    for (float x : {0.25f, 1.5f}) {
        ControlPoint p;
        p.x = x;
        p.y = -0.125f;
        obj.points.push_back(p);
    }
    app.doc.selectedAnchors = {0};
    app.doc.activePoint = 0;
    Settle();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app.doc.modified = false;
    g_frame->ExitRoutine();
    Settle();
    wxEntryCleanup();
    std::filesystem::remove(ini);
    return 0;
}
