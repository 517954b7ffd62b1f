// Frames of one view drawn offscreen: 500 patches at subdivision level 20 mirrored across X,
// Y and Z (4,000 patch copies, 16,000 curve copies), shaded and wireframe, through the
// evaluators and from the kept arrays of evaluated geometry.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "bench/draw_document.h"
#include "model/document.h"
#include "model/settings.h"
#include "platform/heap.h"
#include "view/camera.h"
#include "gl/scene.h"

namespace {

using namespace zarni;

constexpr int kWidth = 800;
constexpr int kHeight = 560;

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

bool MakeContext() {
    static const bool tuned = (KeepFrameBuffersInTheHeap(), true);
    (void)tuned;
    static std::vector<uint8_t> buffer(kWidth * kHeight * 4);
    static OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    return ctx && OSMesaMakeCurrent(ctx, buffer.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
}

void DrawFrames(benchmark::State& state, uint8_t mode, bool arrays) {
    if (!MakeContext()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    static const Document doc = bench::DrawBenchDocument();
    EditSwitches sw;
    sw.divLevel = 20;
    Settings settings;
    InitContextState(settings);
    ViewCamera view;
    view.width = kWidth;
    view.height = kHeight;
    InitViewCamera(view, 9.0f);
    view.pitch = -0.4f;
    view.yaw = 0.6f;
    view.displayMode = mode;
    UpdateCamera(view);
    GeometryCache cache;
    SceneInput in(doc, sw, settings);
    in.geometry = arrays ? &cache : nullptr;
    LoadProjection(view, 30.0f);
    DrawView(in, view);  // the arrays are built here, outside the timing
    glFinish();
    // The renderer's own threads do part of every frame: their time counts too. On an idle
    // machine with two cores a frame takes about max(this thread, all threads / 2).
    const double processStart = ProcessSeconds();
    for (auto _ : state) {
        DrawView(in, view);
        glFinish();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["allThreadsMs"] = (ProcessSeconds() - processStart) * 1000.0 / frames;
    state.counters["patchCopies"] = doc.objects[0].patchCount() * 8;
    state.counters["curveCopies"] = doc.objects[0].segmentCount() * 8;
}

void BM_ShadedEvaluators(benchmark::State& s) {
    DrawFrames(s, kDisplayShaded, false);
}
void BM_ShadedArrays(benchmark::State& s) {
    DrawFrames(s, kDisplayShaded, true);
}
void BM_WireframeEvaluators(benchmark::State& s) {
    DrawFrames(s, kDisplayWireframe, false);
}
void BM_WireframeArrays(benchmark::State& s) {
    DrawFrames(s, kDisplayWireframe, true);
}
void BM_CurrentShadedEvaluators(benchmark::State& s) {
    DrawFrames(s, kDisplayCurrentShaded, false);
}
void BM_CurrentShadedArrays(benchmark::State& s) {
    DrawFrames(s, kDisplayCurrentShaded, true);
}

// Building the arrays once after an edit (what a RebuildObjectCaches costs the next frame).
void BM_BuildArrays(benchmark::State& state) {
    static const Document doc = bench::DrawBenchDocument();
    ObjectArrays arrays;
    for (auto _ : state) {
        BuildObjectArrays(doc.objects[0], 20, arrays);
        benchmark::DoNotOptimize(arrays.surfaceVertices.data());
    }
}

// One drag step that moves one point: the control caches rebuilt and the kept arrays brought up
// to date, record by record (what a drag step costs the next frame now).
void BM_OnePointMovedStep(benchmark::State& state) {
    static Document doc = bench::DrawBenchDocument();
    PatchObject& obj = doc.objects[0];
    GeometryCache cache;
    cache.Get(0, obj, 20);
    const int32_t point = obj.patchCount() / 2 * 16;
    float delta = 0.001f;
    for (auto _ : state) {
        obj.points[point].x += delta;
        delta = -delta;
        RebuildObjectCaches(obj);
        benchmark::DoNotOptimize(cache.Get(0, obj, 20).surfaceVertices.data());
    }
    state.counters["wholeBuilds"] = static_cast<double>(cache.buildCount());
}

// The machine is shared: besides the mean, the fastest repetition, nearest to an idle machine.
double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

#define ZARNI_FRAME_BENCH(fn)               \
    BENCHMARK(fn)                           \
        ->Unit(benchmark::kMillisecond)     \
        ->MinTime(1.0)                      \
        ->Repetitions(3)                    \
        ->ComputeStatistics("min", Fastest) \
        ->ReportAggregatesOnly(true)

ZARNI_FRAME_BENCH(BM_ShadedEvaluators);
ZARNI_FRAME_BENCH(BM_ShadedArrays);
ZARNI_FRAME_BENCH(BM_CurrentShadedEvaluators);
ZARNI_FRAME_BENCH(BM_CurrentShadedArrays);
ZARNI_FRAME_BENCH(BM_WireframeEvaluators);
ZARNI_FRAME_BENCH(BM_WireframeArrays);
BENCHMARK(BM_BuildArrays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnePointMovedStep)->Unit(benchmark::kMicrosecond);

}  // namespace
