// Importing curves: an SVG drawing of 10,000 path commands and a 100-character text, each read,
// placed and turned into a new object as the program does it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "formats/curve_import.h"
#include "formats/svg_import.h"
#include "formats/text_outline.h"
#include "platform/files.h"

namespace {

using namespace zarni;

const std::string kSvgPath = "/tmp/zarni-bench-import.svg";

// 10,000 commands of every kind, absolute and relative, in 100 subpaths under a few transforms.
const std::string& DrawingFile() {
    static const std::string path = [] {
        std::string d;
        const char* const kinds[] = {"l3 1",     "L%d 7",        "c1 2 3 4 5 6",    "S%d 2 9 9",
                                     "q2 5 6 1", "T%d 4",        "a4 3 20 0 1 6 2", "H%d",
                                     "v-3",      "C1 2 3 4 %d 8"};
        int commands = 0;
        for (int sub = 0; commands < 10000; ++sub) {
            char text[64];
            std::snprintf(text, sizeof text, "M%d %d ", sub % 37, sub * 3);
            d += text;
            ++commands;
            for (int i = 0; i < 99 && commands < 10000; ++i, ++commands) {
                std::snprintf(text, sizeof text, kinds[i % 10], (i * 7) % 50);
                d += text;
                d += ' ';
            }
            d += "Z ";
        }
        const std::string svg =
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 500 500\">"
            "<g transform=\"translate(10 20) rotate(15)\"><g transform=\"scale(1.5 0.8)\">"
            "<path d=\"" +
            d + "\"/></g></g></svg>";
        WriteFileAtomically(kSvgPath, [&svg](std::FILE* f) {
            return std::fwrite(svg.data(), 1, svg.size(), f) == svg.size();
        });
        return kSvgPath;
    }();
    return path;
}

void BM_ImportSvg10000Commands(benchmark::State& state) {
    const std::string& path = DrawingFile();
    for (auto _ : state) {
        CurveSet curves;
        std::string why;
        if (!ImportSvgFile(path, 2.0, curves, nullptr, &why)) state.SkipWithError(why.c_str());
        Document doc = NewDocument();
        AddCurvesObject(doc, EditSwitches{}, curves);
        benchmark::DoNotOptimize(doc.objects.back().segments.data());
    }
}
BENCHMARK(BM_ImportSvg10000Commands)->Unit(benchmark::kMillisecond);

void BM_ImportText100Characters(benchmark::State& state) {
    // Latin letters, digits and Japanese kana and kanji: 100 characters in all.
    std::string text;
    const char* const pieces[] = {"Zarni! ",    "モデラー",   "曲面と曲線",
                                  "0123456789", "ABCDEFGHIJ", "あいうえお"};
    int count = 0;
    for (int i = 0; count < 100; ++i) {
        const std::string piece = pieces[i % 6];
        for (size_t k = 0; k < piece.size() && count < 100;) {
            const unsigned char lead = static_cast<unsigned char>(piece[k]);
            const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            text += piece.substr(k, n);
            k += n;
            ++count;
        }
    }
    for (auto _ : state) {
        CurveSet curves;
        std::string why;
        if (!ImportTextOutlines(text, kDefaultOutlineFont, 2.0, curves, &why))
            state.SkipWithError(why.c_str());
        Document doc = NewDocument();
        AddCurvesObject(doc, EditSwitches{}, curves);
        benchmark::DoNotOptimize(doc.objects.back().segments.data());
    }
}
BENCHMARK(BM_ImportText100Characters)->Unit(benchmark::kMillisecond);

}  // namespace
