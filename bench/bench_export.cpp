// Export speed of the large document against a plain fwrite of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/big_document.h"
#include "formats/pov_export.h"

namespace {

const zarni::Document& Big() {
    static const zarni::Document doc = zarni::bench::BigDocument();
    return doc;
}

zarni::SceneView BenchView() {
    return zarni::DefaultSceneView(640, 480, 9.0f, Big().view.fovy, {{0.13f, 0.25f, 0.18f, 1.0f}});
}

void BM_ExportInclude(benchmark::State& state) {
    const zarni::Document& doc = Big();
    const size_t bytes = zarni::IncludeText(doc).size();
    for (auto _ : state) {
        if (zarni::ExportInclude(doc, "/tmp/zarni_bench_export.inc") != 0) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    std::remove("/tmp/zarni_bench_export.inc");
}
BENCHMARK(BM_ExportInclude)->Unit(benchmark::kMillisecond);

void BM_ExportScene(benchmark::State& state) {
    const zarni::Document& doc = Big();
    const zarni::SceneView view = BenchView();
    const size_t bytes = zarni::SceneText(doc, view).size();
    for (auto _ : state) {
        if (zarni::ExportScene(doc, view, "/tmp/zarni_bench_export.pov") != 0) {
            state.SkipWithError("export failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    std::remove("/tmp/zarni_bench_export.pov");
}
BENCHMARK(BM_ExportScene)->Unit(benchmark::kMillisecond);

// The floor: the include's bytes, already in memory, written with one fwrite.
void BM_FwriteSameBytes(benchmark::State& state) {
    const std::string text = zarni::IncludeText(Big());
    for (auto _ : state) {
        std::FILE* f = std::fopen("/tmp/zarni_bench_fwrite.inc", "wb");
        if (f == nullptr) {
            state.SkipWithError("cannot create the file");
            break;
        }
        const size_t written = std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        if (written != text.size()) {
            state.SkipWithError("short write");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::remove("/tmp/zarni_bench_fwrite.inc");
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

// The text alone, without the file system.
void BM_IncludeTextInMemory(benchmark::State& state) {
    const zarni::Document& doc = Big();
    for (auto _ : state)
        benchmark::DoNotOptimize(zarni::IncludeText(doc));
}
BENCHMARK(BM_IncludeTextInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
