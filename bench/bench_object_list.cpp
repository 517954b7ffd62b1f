// The object list's display-free share of a refresh and of a scroll step with 1,000 objects:
// every name converted from Shift_JIS for drawing, and the copies that fill the pane.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "rules/object_list.h"
#include "platform/cp932.h"

namespace {

constexpr int kObjects = 1000;
constexpr int kPageHeight = 520;

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int i = 0; i < kObjects; ++i)  // "部品_" and a number, as Shift_JIS
        names.push_back("\x95\x94\x95\x69_" + std::to_string(i + 1));
    return names;
}

// What a refresh does besides drawing: each row's name as text, the scroll bar reset.
void BM_ListRefreshTexts(benchmark::State& state) {
    const std::vector<std::string> names = Names();
    zarni::ListScroll scroll;
    for (auto _ : state) {
        size_t bytes = 0;
        for (int row = 0; row < kObjects; ++row)
            bytes += zarni::Cp932ToUtf8(names[zarni::ListObjectOfRow(kObjects, row)]).size();
        scroll.Reset(kObjects, kPageHeight);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ListRefreshTexts)->Unit(benchmark::kMillisecond);

// One scroll step: the new position, the name box's place and the copies for the paint.
void BM_ListScrollStep(benchmark::State& state) {
    zarni::ListScroll scroll;
    scroll.Reset(kObjects, kPageHeight);
    int direction = 1;
    for (auto _ : state) {
        if (!scroll.Apply(
                direction > 0 ? zarni::ListScrollCode::PageDown : zarni::ListScrollCode::PageUp, 0))
            direction = -direction;
        benchmark::DoNotOptimize(zarni::ListNameBoxTop(kObjects, 500, scroll.position));
        benchmark::DoNotOptimize(
            zarni::ListTileCopies(kObjects, scroll.position, kPageHeight).size());
    }
}
BENCHMARK(BM_ListScrollStep)->Unit(benchmark::kMicrosecond);

}  // namespace
