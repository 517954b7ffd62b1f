// Binary STL and glTF exports of the drawing benchmarks' document (500 patches, mirrored across
// X, Y and Z, level 20), each against a plain fwrite of the same bytes, and against the same
// fwrite flushed to the disk as the durable writer does (which, for files of tens of megabytes
// that the page cache would otherwise hold, is most of an export's time).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/draw_document.h"
#include "formats/gltf_export.h"
#include "formats/stl_export.h"

namespace {

constexpr int32_t kLevel = 20;

const zarni::Document& Doc() {
    static const zarni::Document doc = zarni::bench::DrawBenchDocument();
    return doc;
}

using Export = int (*)(const zarni::Document&, int32_t, const std::string&, std::string*);
using Bytes = bool (*)(const zarni::Document&, int32_t, std::string*, std::string*);

void RunExport(benchmark::State& state, Export write, const char* path) {
    const zarni::Document& doc = Doc();
    long size = 0;
    for (auto _ : state) {
        std::string why;
        if (write(doc, kLevel, path, &why) != 0) {
            state.SkipWithError(why.c_str());
            break;
        }
    }
    if (std::FILE* f = std::fopen(path, "rb")) {
        std::fseek(f, 0, SEEK_END);
        size = std::ftell(f);
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    std::remove(path);
}

// The floor: the file's bytes, already in memory, written with one fwrite (and, with `sync`,
// flushed to the disk).
void RunFwrite(benchmark::State& state, Bytes make, const char* path, bool sync) {
    std::string bytes;
    if (!make(Doc(), kLevel, &bytes, nullptr)) {
        state.SkipWithError("no bytes");
        return;
    }
    for (auto _ : state) {
        std::FILE* f = std::fopen(path, "wb");
        bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (ok && sync) ok = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
        ok = f != nullptr && std::fclose(f) == 0 && ok;
        if (!ok) {
            state.SkipWithError("cannot write the file");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    std::remove(path);
}

void BM_ExportStl(benchmark::State& state) {
    RunExport(state, zarni::ExportStl, "/tmp/zarni_bench_export.stl");
}
BENCHMARK(BM_ExportStl)->Unit(benchmark::kMillisecond);

void BM_FwriteStlBytes(benchmark::State& state) {
    RunFwrite(state, zarni::StlExportBytes, "/tmp/zarni_bench_fwrite.stl", false);
}
BENCHMARK(BM_FwriteStlBytes)->Unit(benchmark::kMillisecond);

void BM_FwriteFsyncStlBytes(benchmark::State& state) {
    RunFwrite(state, zarni::StlExportBytes, "/tmp/zarni_bench_fwrite.stl", true);
}
BENCHMARK(BM_FwriteFsyncStlBytes)->Unit(benchmark::kMillisecond);

void BM_ExportGlb(benchmark::State& state) {
    RunExport(state, zarni::ExportGlb, "/tmp/zarni_bench_export.glb");
}
BENCHMARK(BM_ExportGlb)->Unit(benchmark::kMillisecond);

void BM_FwriteGlbBytes(benchmark::State& state) {
    RunFwrite(state, zarni::GlbExportBytes, "/tmp/zarni_bench_fwrite.glb", false);
}
BENCHMARK(BM_FwriteGlbBytes)->Unit(benchmark::kMillisecond);

void BM_FwriteFsyncGlbBytes(benchmark::State& state) {
    RunFwrite(state, zarni::GlbExportBytes, "/tmp/zarni_bench_fwrite.glb", true);
}
BENCHMARK(BM_FwriteFsyncGlbBytes)->Unit(benchmark::kMillisecond);

}  // namespace
