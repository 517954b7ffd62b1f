// Frames of one view drawn offscreen: 500 patches at subdivision level 20 mirrored across X,
// Y and Z (4,000 patch copies, 16,000 curve copies), shaded and wireframe, through the
// evaluators, from the kept arrays of evaluated geometry as client memory, and as the views
// draw them now (calls outside the view left out, arrays kept in buffer objects); and a camera
// drag in the four-view layout under the frame budget.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench/draw_document.h"
#include "gl/scene.h"
#include "model/document.h"
#include "model/settings.h"
#include "platform/heap.h"
#include "view/camera.h"

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

// `kept`: the full-detail frame as the views draw it now; else as it was drawn before calls
// were culled and arrays kept in buffer objects (the same pixels either way).
void DrawFrames(benchmark::State& state, uint8_t mode, bool arrays, bool kept = false) {
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
    in.drawOptions.cull = kept;
    in.drawOptions.buffers = kept;
    LoadProjection(view, 30.0f);
    DrawView(in, view);  // the arrays are built (and uploaded) here, outside the timing
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
void BM_ShadedKept(benchmark::State& s) {
    DrawFrames(s, kDisplayShaded, true, true);
}
void BM_WireframeKept(benchmark::State& s) {
    DrawFrames(s, kDisplayWireframe, true, true);
}
void BM_CurrentShadedKept(benchmark::State& s) {
    DrawFrames(s, kDisplayCurrentShaded, true, true);
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A 40-step orbit of the shaded perspective view of the four-view layout (a quarter of the
// window), each step drawn once the last picture is done, as the views fold the moves that
// come meanwhile into the camera. Range(0) is DivLevel, range(1) 1 for the frame budget, 0 for
// every step at full detail. Counters: the longest and the mean time between pictures, the
// time from the release to the full-detail picture, the reduced frames. The settled picture is
// checked against one drawn at full detail from fresh caches.
void BM_FourViewCameraDrag(benchmark::State& state) {
    if (!MakeContext()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    static const Document doc = bench::DrawBenchDocument();
    EditSwitches sw;
    sw.divLevel = static_cast<int32_t>(state.range(0));
    const bool governed = state.range(1) != 0;
    Settings settings;
    InitContextState(settings);
    ViewCamera view;
    view.width = kWidth / 2;
    view.height = kHeight / 2;
    InitViewCamera(view, 9.0f);
    view.pitch = -0.4f;
    view.yaw = 0.6f;
    view.displayMode = kDisplayShaded;
    UpdateCamera(view);
    GeometryCache cache, reduced;
    SceneInput in(doc, sw, settings);
    in.geometry = &cache;
    in.reducedGeometry = &reduced;
    in.drawOptions.buffers = true;
    LoadProjection(view, 30.0f);
    const int32_t steps = TessellationSteps(sw.divLevel);
    const SceneLoad load{static_cast<double>(doc.objects[0].patchCount()) * 8, 0.0};
    const size_t bytes = static_cast<size_t>(view.width) * view.height * 4;
    std::vector<uint8_t> settled(bytes), reference(bytes);

    DetailGovernor governor;
    governor.SetEnabled(governed);
    auto frame = [&](uint32_t now) {
        const DetailLevel level = governor.Choose(now, steps, load);
        in.detail = level;
        const double start = NowMs();
        DrawView(in, view);
        glFinish();
        const double ms = NowMs() - start;
        governor.FrameDrawn(level, steps, load, ms);
        return level.full;
    };
    frame(0);  // the picture before the drag: arrays built and the cost learnt
    double longest = 0.0, sum = 0.0, release = 0.0, reducedFrames = 0.0, drags = 0.0;
    for (auto _ : state) {
        view.yaw = 0.6f;
        const double begin = NowMs();
        double last = begin;
        for (int i = 0; i < 40; ++i) {
            view.yaw += 0.02f;
            UpdateCamera(view);
            const double now = NowMs();
            governor.Input(static_cast<uint32_t>(now));
            if (!frame(static_cast<uint32_t>(now))) reducedFrames += 1.0;
            const double done = NowMs();
            longest = std::max(longest, done - last);
            sum += done - last;
            last = done;
        }
        // The button goes up: the drag is over and the full picture is drawn at once.
        const double up = NowMs();
        governor.Settle();
        frame(static_cast<uint32_t>(up));
        release += NowMs() - up;
        drags += 1.0;
        glReadPixels(0, 0, view.width, view.height, GL_RGBA, GL_UNSIGNED_BYTE, settled.data());
    }
    GeometryCache fresh;
    SceneInput plain(doc, sw, settings);
    plain.geometry = &fresh;
    plain.drawOptions.cull = false;
    DrawView(plain, view);
    glFinish();
    glReadPixels(0, 0, view.width, view.height, GL_RGBA, GL_UNSIGNED_BYTE, reference.data());
    if (std::memcmp(settled.data(), reference.data(), bytes) != 0)
        state.SkipWithError("the settled picture differs from the full-detail one");
    state.counters["longestGapMs"] = longest;
    state.counters["meanGapMs"] = sum / (40.0 * std::max(1.0, drags));
    state.counters["releaseToFullMs"] = release / std::max(1.0, drags);
    state.counters["reducedFrames"] = reducedFrames / std::max(1.0, drags);
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
ZARNI_FRAME_BENCH(BM_ShadedKept);
ZARNI_FRAME_BENCH(BM_CurrentShadedKept);
ZARNI_FRAME_BENCH(BM_WireframeKept);
BENCHMARK(BM_FourViewCameraDrag)
    ->Args({6, 0})
    ->Args({6, 1})
    ->Args({20, 0})
    ->Args({20, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(2)
    ->ComputeStatistics("min", Fastest)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BuildArrays)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnePointMovedStep)->Unit(benchmark::kMicrosecond);

}  // namespace
