// OBJ export of the drawing benchmarks' document (500 patches, mirrored across X, Y and Z, level
// 20) against a plain fwrite of the same bytes.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench/draw_document.h"
#include "formats/obj_export.h"

namespace {

constexpr int32_t kLevel = 20;
const char kPath[] = "/tmp/zarni_bench_export.obj";

const zarni::Document& Doc() {
    static const zarni::Document doc = zarni::bench::DrawBenchDocument();
    return doc;
}

void BM_ExportObj(benchmark::State& state) {
    const zarni::Document& doc = Doc();
    for (auto _ : state) {
        if (zarni::ExportObj(doc, kLevel, kPath) != 0) {
            state.SkipWithError("export failed");
            break;
        }
    }
    struct stat obj {
    }, mtl{};
    stat(kPath, &obj);
    stat(zarni::MaterialPathFor(kPath).c_str(), &mtl);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (obj.st_size + mtl.st_size));
    std::remove(kPath);
    std::remove(zarni::MaterialPathFor(kPath).c_str());
}
BENCHMARK(BM_ExportObj)->Unit(benchmark::kMillisecond);

// The floor: both files' bytes, already in memory, each written with one fwrite.
void BM_FwriteSameBytes(benchmark::State& state) {
    const zarni::ObjTexts texts = zarni::ObjExportTexts(Doc(), kLevel, "zarni_bench_fwrite.mtl");
    for (auto _ : state) {
        bool ok = true;
        for (const auto& [path, text] :
             {std::make_pair("/tmp/zarni_bench_fwrite.mtl", &texts.mtl),
              std::make_pair("/tmp/zarni_bench_fwrite.obj", &texts.obj)}) {
            std::FILE* f = std::fopen(path, "wb");
            if (f == nullptr) {
                ok = false;
                break;
            }
            ok = std::fwrite(text->data(), 1, text->size(), f) == text->size() && ok;
            ok = std::fclose(f) == 0 && ok;
        }
        if (!ok) {
            state.SkipWithError("cannot write the files");
            break;
        }
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * (texts.obj.size() + texts.mtl.size())));
    std::remove("/tmp/zarni_bench_fwrite.obj");
    std::remove("/tmp/zarni_bench_fwrite.mtl");
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

}  // namespace
