// Shape operations: the full lathe of a long profile against the literal rescanning weld, and
// the sphere primitive.
#include <benchmark/benchmark.h>

#include "model/document.h"
#include "ops/lathe.h"
#include "ops/primitives.h"
#include "tests/core/shape_fixtures.h"

namespace {

constexpr int32_t kProfileSegments = 200;

zarni::LatheSettings CloseEighteen() {
    zarni::LatheSettings s;
    s.axis = 2;
    s.type = zarni::kLatheClose;
    s.divLevel = 18;
    return s;
}

const zarni::Document& Profile() {
    static const zarni::Document doc = [] {
        zarni::Document d = zarni::NewDocument();
        zarni::shapefix::AddOpenProfile(d, kProfileSegments);  // all anchors selected
        return d;
    }();
    return doc;
}

// The weld as it always worked: scan everything again after each merge. Slow; one run is
// enough, and its result is checked against the product's.
void BM_LatheFullLiteral(benchmark::State& state) {
    const zarni::EditSwitches sw;
    zarni::Document doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc = Profile();
        state.ResumeTiming();
        zarni::shapefix::LiteralLatheFull(doc, sw, CloseEighteen());
        benchmark::DoNotOptimize(doc.Current()->pointCount());
    }
    zarni::Document fast = Profile();
    zarni::LatheFull(fast, sw, CloseEighteen());
    zarni::RebuildControlCaches(doc);
    const std::string diff = zarni::shapefix::FirstDifference(fast, doc);
    if (!diff.empty()) state.SkipWithError(("welds disagree: " + diff).c_str());
    state.counters["points"] = static_cast<double>(doc.Current()->pointCount());
}
BENCHMARK(BM_LatheFullLiteral)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LatheFull(benchmark::State& state) {
    const zarni::EditSwitches sw;
    zarni::Document doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc = Profile();
        state.ResumeTiming();
        zarni::LatheFull(doc, sw, CloseEighteen());
        benchmark::DoNotOptimize(doc.Current()->pointCount());
    }
    state.counters["points"] = static_cast<double>(doc.Current()->pointCount());
}
BENCHMARK(BM_LatheFull)->Unit(benchmark::kMillisecond);

void BM_AddSphere(benchmark::State& state) {
    const zarni::EditSwitches sw;
    const zarni::Document empty = zarni::NewDocument();
    zarni::Document doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc = empty;
        state.ResumeTiming();
        zarni::AddSphere(doc, sw);
        benchmark::DoNotOptimize(doc.Current()->pointCount());
    }
    if (doc.Current()->pointCount() != 78) state.SkipWithError("not the 78-point sphere");
}
BENCHMARK(BM_AddSphere)->Unit(benchmark::kMicrosecond);

}  // namespace
