// Point picks and rubber-band picks on an object of 100,000 points in an 800 x 560 view,
// offscreen: by projection on the processor (what the program uses) and in GL selection mode
// (the reference), in point mode with a third of the anchors selected so handles take part.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/document.h"
#include "view/camera.h"
#include "gl/pick.h"

namespace {

using namespace zarni;

constexpr int kWidth = 800;
constexpr int kHeight = 560;
constexpr int kPoints = 100000;

bool MakeContext() {
    static std::vector<uint8_t> buffer(kWidth * kHeight * 4);
    static OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    return ctx && OSMesaMakeCurrent(ctx, buffer.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
}

// Rows of anchors on a sphere, each with two handles beside it.
struct Scene {
    Scene() {
        doc = NewDocument();
        PatchObject& obj = *doc.Current();
        obj.points.reserve(kPoints);
        for (int i = 0; obj.pointCount() + 3 <= kPoints; ++i) {
            const float t = 0.0007f * i, u = 0.0131f * i;
            const float x = 2.5f * std::sin(t) * std::cos(u), y = 2.5f * std::cos(t),
                        z = 2.5f * std::sin(t) * std::sin(u);
            ControlPoint a;
            a.x = x;
            a.y = y;
            a.z = z;
            const int32_t anchor = obj.pointCount();
            obj.points.push_back(a);
            for (float d : {-0.02f, 0.02f}) {
                ControlPoint h = a;
                h.x += d;
                h.anchor = anchor;
                obj.points.push_back(h);
            }
            if (i % 3 == 0) doc.selectedAnchors.push_back(anchor);
        }
        while (obj.pointCount() < kPoints)
            obj.points.push_back(ControlPoint{});
        view.width = kWidth;
        view.height = kHeight;
        InitViewCamera(view, 9.0f);
        view.pitch = 0.4f;
        view.yaw = 0.7f;
        UpdateCamera(view);
        ComputeSavedMatrices(view, 30.0f);
    }
    Document doc;
    EditSwitches sw;
    ViewCamera view;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void PointPick(benchmark::State& state, PickMethod method) {
    if (!MakeContext()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    Scene& s = TheScene();
    PickInput in(s.doc, s.sw, 0);
    in.method = method;
    int32_t hits = 0;
    for (auto _ : state) {
        const PickResult r = PickPointHits(in, s.view, {kWidth / 2, kHeight / 2});
        hits = r.hitCount;
        benchmark::DoNotOptimize(r);
    }
    state.counters["hits"] = hits;
}

void RectanglePick(benchmark::State& state, PickMethod method) {
    if (!MakeContext()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    Scene& s = TheScene();
    const auto anchors = s.doc.selectedAnchors;
    int32_t selected = 0;
    for (auto _ : state) {
        // With Shift the band adds to the selection, so every repetition does the same work.
        PickRectangle(s.doc, s.sw, 0, s.view, 30.0f, 200, 140, 400, 280,
                      ModifierKeys{false, true, false}, nullptr, method);
        selected = static_cast<int32_t>(s.doc.selectedAnchors.size());
        state.PauseTiming();
        s.doc.selectedAnchors = anchors;
        state.ResumeTiming();
    }
    state.counters["selected"] = selected;
}

BENCHMARK_CAPTURE(PointPick, projected, PickMethod::Projected)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PointPick, selection_mode, PickMethod::SelectionMode)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RectanglePick, projected, PickMethod::Projected)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RectanglePick, selection_mode, PickMethod::SelectionMode)
    ->Unit(benchmark::kMillisecond);

}  // namespace
