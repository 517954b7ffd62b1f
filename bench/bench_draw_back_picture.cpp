// Background pictures offscreen: a 4000 x 3000 24-bit BMP read and converted, uploaded as a
// texture, and the whole way from the file to a drawn view; and the cost of six textured slots
// on a wireframe frame of the sample document.
#include <GL/gl.h>
#include <GL/osmesa.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "formats/native_file.h"
#include "model/settings.h"
#include "rules/back_picture.h"
#include "view/camera.h"
#include "gl/scene.h"
#include "gl/textures.h"

namespace {

using namespace zarni;

constexpr int kWidth = 800;
constexpr int kHeight = 560;
constexpr int kPictureWidth = 4000;
constexpr int kPictureHeight = 3000;
const std::string kPicturePath = "/tmp/zarni-bench-back-picture.bmp";

bool MakeContext() {
    static std::vector<uint8_t> buffer(kWidth * kHeight * 4);
    static OSMesaContext ctx = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    return ctx && OSMesaMakeCurrent(ctx, buffer.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
}

// A photograph-sized 24-bit BMP with a gradient, written once.
const std::string& PictureFile() {
    static const bool written = [] {
        const uint32_t rowBytes = (kPictureWidth * 3 + 3) & ~3u;
        const uint32_t imageBytes = rowBytes * kPictureHeight;
        std::string bytes(54 + static_cast<size_t>(imageBytes), '\0');
        auto put32 = [&bytes](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        bytes[0] = 'B';
        bytes[1] = 'M';
        put32(2, 54 + imageBytes);
        put32(10, 54);
        put32(14, 40);
        put32(18, kPictureWidth);
        put32(22, kPictureHeight);
        bytes[26] = 1;
        bytes[28] = 24;
        put32(34, imageBytes);
        for (int y = 0; y < kPictureHeight; ++y) {
            char* row = &bytes[54 + static_cast<size_t>(y) * rowBytes];
            for (int x = 0; x < kPictureWidth; ++x) {
                row[x * 3] = static_cast<char>(x * 255 / kPictureWidth);
                row[x * 3 + 1] = static_cast<char>(y * 255 / kPictureHeight);
                row[x * 3 + 2] = static_cast<char>((x + y) & 0xFF);
            }
        }
        std::ofstream(kPicturePath, std::ios::binary).write(bytes.data(), bytes.size());
        return true;
    }();
    (void)written;
    return kPicturePath;
}

std::shared_ptr<LoadedPicture> ReadPicture(benchmark::State& state) {
    std::string why;
    auto picture = ReadBackPicture(PictureFile(), &why);
    if (!picture) state.SkipWithError(why.c_str());
    return picture;
}

TexturePixels PixelsOf(const LoadedPicture& p) {
    return TexturePixels{p.width(), p.height(), p.pixels.rgb.data()};
}

// The scene as the views make it: each shown slot's texture from the registry.
void FillPictures(SceneInput& in, const Document& doc, PictureTextures& textures) {
    for (int k = 0; k < kBackSlotCount; ++k) {
        const auto& p = doc.backPictures[k].picture;
        if (!p) continue;
        in.backPictures[k] =
            BackPictureInput{textures.Get(p, PixelsOf(*p)), p->width(), p->height()};
    }
}

ViewCamera Camera(bool perspective, uint8_t mode) {
    ViewCamera view;
    view.width = kWidth;
    view.height = kHeight;
    InitViewCamera(view, 9.0f);
    if (perspective) {
        view.pitch = -0.4f;
        view.yaw = 0.6f;
    } else {
        SelectOrthoDirection(view, CameraMemories{}, kViewFront);
    }
    view.displayMode = mode;
    UpdateCamera(view);
    return view;
}

// Reading the file and turning it into the slot's top-down RGB pixels.
void BM_ReadAndConvert(benchmark::State& state) {
    PictureFile();
    for (auto _ : state) {
        auto picture = ReadPicture(state);
        benchmark::DoNotOptimize(picture.get());
    }
}

// Making the texture from the pixels (once for all views, whose contexts share it).
void BM_Upload(benchmark::State& state) {
    if (!MakeContext()) return state.SkipWithError("no OSMesa context");
    auto picture = ReadPicture(state);
    if (!picture) return;
    for (auto _ : state) {
        GLuint texture = MakePictureTexture(PixelsOf(*picture));
        glFinish();
        state.PauseTiming();
        glDeleteTextures(1, &texture);
        glFinish();
        state.ResumeTiming();
    }
}

// From the file to the Front view drawn with the picture: read, convert, upload, first frame.
void BM_ReadUploadAndShow(benchmark::State& state) {
    if (!MakeContext()) return state.SkipWithError("no OSMesa context");
    Settings settings;
    InitContextState(settings);
    EditSwitches sw;
    sw.backPictureVisible = 1;
    ViewCamera view = Camera(false, kDisplayWireframe);
    LoadProjection(view, 30.0f);
    for (auto _ : state) {
        Document doc = NewDocument();
        ResetBackPictureSlots(doc);
        PictureTextures textures;
        std::string why;
        if (!LoadSlotPicture(doc, kBackFront, PictureFile(), &why)) {
            return state.SkipWithError(why.c_str());
        }
        SceneInput in(doc, sw, settings);
        FillPictures(in, doc, textures);
        DrawView(in, view);
        glFinish();
        state.PauseTiming();
        doc.backPictures[kBackFront].picture.reset();
        textures.ReleaseUnused();
        glFinish();
        state.ResumeTiming();
    }
}

// Wireframe frames of the sample document, with and without the six slots' pictures.
void WireframeFrames(benchmark::State& state, bool pictures) {
    if (!MakeContext()) return state.SkipWithError("no OSMesa context");
    const std::string source = __FILE__;
    const std::string sample = source.substr(0, source.rfind('/')) + "/../samples/sample.zarni";
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    if (ReadDocumentFile(doc, sw, clipboard, sample) != kFileOk) {
        return state.SkipWithError("samples/sample.zarni cannot be read");
    }
    sw.backPictureVisible = pictures ? 1 : 0;
    std::shared_ptr<LoadedPicture> picture;
    if (pictures) {
        picture = ReadPicture(state);
        if (!picture) return;
        // Six slots, each its own picture object and texture.
        for (BackPictureSlot& s : doc.backPictures)
            s.picture = std::make_shared<LoadedPicture>(*picture);
    }
    Settings settings;
    InitContextState(settings);
    ViewCamera view = Camera(true, kDisplayWireframe);
    GeometryCache cache;
    PictureTextures textures;
    SceneInput in(doc, sw, settings);
    in.geometry = &cache;
    if (pictures) FillPictures(in, doc, textures);
    LoadProjection(view, 30.0f);
    DrawView(in, view);  // arrays built and textures made outside the timing
    glFinish();
    for (auto _ : state) {
        DrawView(in, view);
        glFinish();
    }
    state.counters["textures"] = static_cast<double>(textures.size());
}

void BM_WireframeSample(benchmark::State& s) {
    WireframeFrames(s, false);
}
void BM_WireframeSampleSixPictures(benchmark::State& s) {
    WireframeFrames(s, true);
}

BENCHMARK(BM_ReadAndConvert)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Upload)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadUploadAndShow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WireframeSample)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);
BENCHMARK(BM_WireframeSampleSixPictures)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->Repetitions(3);

}  // namespace
