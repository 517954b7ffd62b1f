// Undo and redo on the 1,000,000-point document split into ten objects of 100,000 points, each
// step changing one object: the time of one Undo and one Redo, and the memory a step keeps.
#include <benchmark/benchmark.h>

#include "bench/big_document.h"
#include "model/history.h"

namespace {

using namespace zarni;

// Ten objects, each a tenth of the benchmark document.
Document TenObjects() {
    Document doc = NewDocument();
    doc.objects.clear();
    for (int k = 0; k < 10; ++k) {
        Document part = bench::BigDocument(100000, 50000, 10000);
        doc.objects.push_back(std::move(part.objects[0]));
    }
    doc.currentObject = 0;
    for (PatchObject& obj : doc.objects)
        RebuildObjectCaches(obj);
    return doc;
}

// One step: a point of object k moves.
void Step(Document& doc, History& history, int k) {
    doc.currentObject = k;
    doc.objects[k].points[17].x += 0.25f;
    RebuildObjectCaches(doc.objects[k]);
    history.Commit(doc);
}

void BM_UndoRedoOneStep(benchmark::State& state) {
    Document doc = TenObjects();
    History history;
    history.Reset(doc);
    const size_t before = history.bytes();
    for (int k = 0; k < 10; ++k)
        Step(doc, history, k);
    const size_t perStep = (history.bytes() - before) / 10;
    for (auto _ : state) {
        history.Undo(doc);
        history.Redo(doc);
    }
    state.counters["stepMB"] = static_cast<double>(perStep) / (1 << 20);
    state.counters["objectMB"] = static_cast<double>(ObjectBytes(doc.objects[0])) / (1 << 20);
    state.counters["documentMB"] = static_cast<double>(before) / (1 << 20);
}
BENCHMARK(BM_UndoRedoOneStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// Recording a step: the comparison with the last state and the copy of the changed object.
void BM_CommitOneStep(benchmark::State& state) {
    Document doc = TenObjects();
    History history;
    history.Reset(doc);
    int k = 0;
    for (auto _ : state) {
        Step(doc, history, k);
        k = (k + 1) % 10;
    }
}
BENCHMARK(BM_CommitOneStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A commit when nothing changed, which the program makes each time it comes to rest.
void BM_CommitNothingChanged(benchmark::State& state) {
    Document doc = TenObjects();
    History history;
    history.Reset(doc);
    for (auto _ : state)
        benchmark::DoNotOptimize(history.Commit(doc));
}
BENCHMARK(BM_CommitNothingChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
