// Frames of one view drawn offscreen: 500 patches at subdivision level 20 mirrored across X,
// Y and Z (4,000 patch copies, 16,000 curve copies), shaded and wireframe, through the
// evaluators and from the kept arrays of evaluated geometry.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "model/document.h"
#include "model/settings.h"
#include "platform/heap.h"
#include "view/camera.h"
#include "view/gl/scene.h"

namespace {

using namespace zarni;

constexpr int kWidth = 800;
constexpr int kHeight = 560;
constexpr int kRows = 20;
constexpr int kColumns = 25;  // 500 patches

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

Vec3 Sphere(float theta, float phi) {
    const float r = 1.8f + 0.15f * std::sin(5 * theta) * std::cos(4 * phi);
    return Vec3{r * std::sin(theta) * std::cos(phi), r * std::cos(theta),
                r * std::sin(theta) * std::sin(phi)};
}

int32_t AddPoint(PatchObject& obj, Vec3 p, int32_t anchor) {
    ControlPoint c;
    c.x = p.x;
    c.y = p.y;
    c.z = p.z;
    c.anchor = anchor;
    obj.points.push_back(c);
    return obj.pointCount() - 1;
}

// One octant of a bumpy sphere in 25 x 20 patches, each with its own four edges, copied into
// the other seven octants by the mirrors.
Document BenchDocument() {
    Document doc = NewDocument();
    PatchObject& obj = doc.objects[0];
    obj.mirrorFlags = kMirrorX | kMirrorY | kMirrorZ;
    const float dTheta = 1.5f / kRows, dPhi = 1.5f / kColumns;
    for (int i = 0; i < kRows; ++i) {
        for (int j = 0; j < kColumns; ++j) {
            // Corners first so that handles and interior points can name their owner.
            int32_t net[16];
            std::fill(net, net + 16, -1);
            for (int k : {0, 3, 12, 15}) {
                const int r = k / 4, c = k % 4;
                net[k] = AddPoint(
                    obj, Sphere(0.05f + (i + r / 3.0f) * dTheta, (j + c / 3.0f) * dPhi), -1);
            }
            for (int k = 0; k < 16; ++k) {
                if (net[k] >= 0) continue;
                const int r = k / 4, c = k % 4;
                const int32_t owner = net[(r < 2 ? 0 : 12) + (c < 2 ? 0 : 3)];
                net[k] = AddPoint(
                    obj, Sphere(0.05f + (i + r / 3.0f) * dTheta, (j + c / 3.0f) * dPhi), owner);
            }
            const int32_t segBase = obj.segmentCount();
            auto seg = [&](int a, int b, int c, int d) {
                Segment s;
                s.p0 = net[a];
                s.p1 = net[b];
                s.p2 = net[c];
                s.p3 = net[d];
                obj.segments.push_back(s);
            };
            seg(0, 1, 2, 3);
            seg(12, 13, 14, 15);
            seg(0, 4, 8, 12);
            seg(3, 7, 11, 15);
            Patch q;
            q.edge0 = segBase;
            q.edge1 = segBase + 1;
            q.edge2 = segBase + 2;
            q.edge3 = segBase + 3;
            q.inner11 = net[5];
            q.inner12 = net[6];
            q.inner21 = net[9];
            q.inner22 = net[10];
            obj.patches.push_back(q);
        }
    }
    RebuildObjectCaches(obj);
    return doc;
}

void DrawFrames(benchmark::State& state, uint8_t mode, bool arrays) {
    if (!MakeContext()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    static const Document doc = BenchDocument();
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
    static const Document doc = BenchDocument();
    ObjectArrays arrays;
    for (auto _ : state) {
        BuildObjectArrays(doc.objects[0], 20, arrays);
        benchmark::DoNotOptimize(arrays.surfaceVertices.data());
    }
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

}  // namespace
