// Copy and paste, deletion and duplicate of a whole 200,000-point object with every anchor
// selected.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "model/document.h"
#include "ops/clipboard.h"
#include "ops/duplicate.h"

namespace {

using zarni::ControlPoint;
using zarni::Document;
using zarni::PatchObject;
using zarni::Segment;

constexpr int32_t kGrid = 148;       // 148 x 148 patches: 198,025 points
constexpr int32_t kPoints = 200000;  // topped up with free curves and lone anchors
constexpr int32_t kFreeCurveRows = 40;
// Anchors that no segment uses are selected but neither copied nor duplicated.
int32_t loneAnchors = 0;

int32_t AddPoint(PatchObject& obj, float x, float y, float z, int32_t anchor = -1) {
    ControlPoint p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.anchor = anchor;
    obj.points.push_back(p);
    return obj.pointCount() - 1;
}

int32_t AddEdge(PatchObject& obj, int32_t a, int32_t b) {
    const ControlPoint pa = obj.points[a];
    const ControlPoint pb = obj.points[b];
    const float dx = (pb.x - pa.x) / 3, dy = (pb.y - pa.y) / 3, dz = (pb.z - pa.z) / 3;
    const int32_t h1 = AddPoint(obj, pa.x + dx, pa.y + dy, pa.z + dz, a);
    const int32_t h2 = AddPoint(obj, pb.x - dx, pb.y - dy, pb.z - dz, b);
    obj.segments.push_back(Segment{a, h1, h2, b, 0});
    return obj.segmentCount() - 1;
}

// A grid of patches sharing corners, edges and edge handles, then free curves and lone anchors
// up to exactly kPoints points; every anchor selected, the last one active.
Document BigSelectedObject() {
    Document doc = zarni::NewDocument();
    PatchObject& obj = doc.objects[0];
    obj.points.reserve(kPoints);
    const int32_t n = kGrid;
    std::vector<int32_t> corner(static_cast<size_t>((n + 1) * (n + 1)));
    for (int32_t r = 0; r <= n; ++r) {
        for (int32_t c = 0; c <= n; ++c) {
            corner[r * (n + 1) + c] = AddPoint(obj, float(c), float(r), 0.0f);
        }
    }
    std::vector<int32_t> across(static_cast<size_t>(n * (n + 1)));
    std::vector<int32_t> down(static_cast<size_t>(n * (n + 1)));
    for (int32_t r = 0; r <= n; ++r) {
        for (int32_t c = 0; c < n; ++c) {
            across[r * n + c] = AddEdge(obj, corner[r * (n + 1) + c], corner[r * (n + 1) + c + 1]);
        }
    }
    for (int32_t c = 0; c <= n; ++c) {
        for (int32_t r = 0; r < n; ++r) {
            down[c * n + r] = AddEdge(obj, corner[r * (n + 1) + c], corner[(r + 1) * (n + 1) + c]);
        }
    }
    for (int32_t r = 0; r < n; ++r) {
        for (int32_t c = 0; c < n; ++c) {
            zarni::Patch q;
            q.edge0 = across[r * n + c];
            q.edge1 = across[(r + 1) * n + c];
            q.edge2 = down[c * n + r];
            q.edge3 = down[(c + 1) * n + r];
            const float x = float(c), y = float(r);
            q.inner11 = AddPoint(obj, x + 0.33f, y + 0.33f, 0.5f, corner[r * (n + 1) + c]);
            q.inner12 = AddPoint(obj, x + 0.67f, y + 0.33f, 0.5f, corner[r * (n + 1) + c + 1]);
            q.inner21 = AddPoint(obj, x + 0.33f, y + 0.67f, 0.5f, corner[(r + 1) * (n + 1) + c]);
            q.inner22 =
                AddPoint(obj, x + 0.67f, y + 0.67f, 0.5f, corner[(r + 1) * (n + 1) + c + 1]);
            obj.patches.push_back(q);
        }
    }
    for (int32_t k = 0; obj.pointCount() + 4 <= kPoints; ++k) {
        const float x = float(k / kFreeCurveRows), y = -1.0f - float(k % kFreeCurveRows);
        const int32_t a = AddPoint(obj, x, y, 0.0f);
        const int32_t b = AddPoint(obj, x + 0.75f, y, 0.25f);
        AddEdge(obj, a, b);
    }
    while (obj.pointCount() < kPoints) {
        AddPoint(obj, -5.0f, float(obj.pointCount() % 100), 0.0f);
        ++loneAnchors;
    }

    for (int32_t i = 0; i < obj.pointCount(); ++i) {
        if (obj.points[i].anchor < 0) doc.selectedAnchors.push_back(i);
    }
    doc.activePoint = doc.selectedAnchors.back();
    zarni::RebuildControlCaches(doc);
    return doc;
}

const Document& Source() {
    static const Document doc = BigSelectedObject();
    return doc;
}

void Describe(benchmark::State& state) {
    const PatchObject& obj = Source().objects[0];
    state.counters["points"] = obj.pointCount();
    state.counters["segments"] = obj.segmentCount();
    state.counters["patches"] = obj.patchCount();
}

void BM_CopyPaste(benchmark::State& state) {
    const zarni::EditSwitches sw;
    for (auto _ : state) {
        state.PauseTiming();
        Document doc = Source();
        zarni::Clipboard clip;
        state.ResumeTiming();
        zarni::CopySelection(doc, clip);
        zarni::PasteClipboard(doc, clip, sw);
        benchmark::DoNotOptimize(doc.objects[0].points.data());
        state.PauseTiming();
        if (doc.objects[0].pointCount() != 2 * kPoints - loneAnchors) {
            state.SkipWithError("paste lost points");
        }
        doc = Document();
        state.ResumeTiming();
    }
    Describe(state);
}
BENCHMARK(BM_CopyPaste)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DeleteSelection(benchmark::State& state) {
    const zarni::EditSwitches sw;
    for (auto _ : state) {
        state.PauseTiming();
        Document doc = Source();
        state.ResumeTiming();
        zarni::DeleteSelection(doc, sw);
        benchmark::DoNotOptimize(doc.objects[0].points.data());
        state.PauseTiming();
        if (doc.objects[0].pointCount() != 0) state.SkipWithError("points left over");
        doc = Document();
        state.ResumeTiming();
    }
    Describe(state);
}
BENCHMARK(BM_DeleteSelection)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DuplicateSelection(benchmark::State& state) {
    const zarni::EditSwitches sw;
    for (auto _ : state) {
        state.PauseTiming();
        Document doc = Source();
        state.ResumeTiming();
        zarni::DuplicateSelection(doc, sw);
        benchmark::DoNotOptimize(doc.objects[0].points.data());
        state.PauseTiming();
        if (doc.objects[0].pointCount() != 2 * kPoints - loneAnchors) {
            state.SkipWithError("duplicate lost points");
        }
        doc = Document();
        state.ResumeTiming();
    }
    Describe(state);
}
BENCHMARK(BM_DuplicateSelection)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
