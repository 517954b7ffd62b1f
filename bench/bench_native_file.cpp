// Writing and reading a large document against plain fwrite/fread of the same number of bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bench/big_document.h"
#include "formats/native_file.h"

namespace {

using namespace zarni;

const std::string kPath = "/tmp/zarni-bench-native.zarni";
const std::string kPlainPath = "/tmp/zarni-bench-native.raw";

const Document& Big() {
    static const Document doc = bench::BigDocument();
    return doc;
}

size_t StoredSize() {
    static const size_t size = DocumentBytes(Big()).size();
    return size;
}

void BM_WriteDocumentFile(benchmark::State& state) {
    for (auto _ : state) {
        if (WriteDocumentFile(Big(), kPath) != kFileOk) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StoredSize()));
}
BENCHMARK(BM_WriteDocumentFile)->Unit(benchmark::kMillisecond);

void BM_FwriteSameBytes(benchmark::State& state) {
    const std::string bytes(StoredSize(), 'z');
    for (auto _ : state) {
        std::FILE* f = std::fopen(kPlainPath.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StoredSize()));
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

void BM_ReadDocumentFile(benchmark::State& state) {
    WriteDocumentFile(Big(), kPath);
    for (auto _ : state) {
        Document doc = NewDocument();
        EditSwitches sw;
        Clipboard clipboard;
        if (ReadDocumentFile(doc, sw, clipboard, kPath) != kFileOk) {
            state.SkipWithError("read failed");
        }
        benchmark::DoNotOptimize(doc.objects.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StoredSize()));
}
BENCHMARK(BM_ReadDocumentFile)->Unit(benchmark::kMillisecond);

void BM_FreadSameBytes(benchmark::State& state) {
    {
        const std::string bytes(StoredSize(), 'z');
        std::FILE* f = std::fopen(kPlainPath.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[StoredSize()]);
        std::FILE* f = std::fopen(kPlainPath.c_str(), "rb");
        const size_t got = std::fread(buffer.get(), 1, StoredSize(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(buffer.get());
        if (got != StoredSize()) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * StoredSize()));
}
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMillisecond);

// The least any reader of this document can do: read the file and fill fresh memory of the size
// the read document occupies (records plus the drawing caches that reading rebuilds). Reading
// cannot come within 2x of a plain fread of the file bytes alone, since the document in memory
// is three times the size of the file; this shows how close it comes to its own floor.
void BM_FreadAndFillDocumentMemory(benchmark::State& state) {
    const PatchObject& obj = Big().objects[0];
    const size_t memoryBytes = obj.points.size() * sizeof(ControlPoint) +
                               obj.segments.size() * sizeof(Segment) +
                               obj.patches.size() * sizeof(Patch) +
                               (obj.segmentCache.size() + obj.patchCache.size()) * sizeof(float);
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[StoredSize()]);
        std::FILE* f = std::fopen(kPlainPath.c_str(), "rb");
        const size_t got = std::fread(buffer.get(), 1, StoredSize(), f);
        std::fclose(f);
        std::unique_ptr<char[]> memory(new char[memoryBytes]);
        std::memset(memory.get(), 1, memoryBytes);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::DoNotOptimize(memory.get());
        if (got != StoredSize()) state.SkipWithError("short read");
    }
    state.counters["document_memory_MB"] = static_cast<double>(memoryBytes) / 1e6;
    state.counters["file_MB"] = static_cast<double>(StoredSize()) / 1e6;
}
BENCHMARK(BM_FreadAndFillDocumentMemory)->Unit(benchmark::kMillisecond);

}  // namespace
