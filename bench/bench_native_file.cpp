// Writing and reading a large document against plain fwrite/fread of the same number of bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/big_document.h"
#include "model/native_file.h"

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

}  // namespace
