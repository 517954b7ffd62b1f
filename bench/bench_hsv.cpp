// The colour dialog's picture after a field change: the new hue, saturation and value taken,
// the picture rendered, and the dialog's colour area composed with its inverted markers.
#include <benchmark/benchmark.h>

#include "rules/hsv.h"

namespace zarni {
namespace {

void BM_HsvFieldChangeRerender(benchmark::State& state) {
    HsvState st = HsvState::FromColourValue(ColourValue(255, 0, 0));
    HsvPicture picture;
    std::vector<uint8_t> canvas;
    uint32_t hue = 0;
    for (auto _ : state) {
        // A different hue each time, as the H up-down gives, so the square is always new.
        hue = (hue + 1) % 360;
        st.TakeFields(hue, 200, 230);
        RenderHsvPicture(st, picture);
        ComposeHsvCanvas(st, picture, 380, 290, 0xC0C0C0, canvas);
        benchmark::DoNotOptimize(canvas.data());
    }
}
BENCHMARK(BM_HsvFieldChangeRerender)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarni
