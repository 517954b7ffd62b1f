// zarni-cli render: the views' own drawing on an offscreen OSMesa context, written as PNG.
#include "cli/render.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/png_writer.h"
#include "formats/native_file.h"
#include "formats/settings_file.h"
#include "gl/scene.h"
#include "model/document.h"
#include "model/settings.h"
#include "platform/profile.h"
#include "rules/povray_render.h"
#include "view/camera.h"

namespace zarni::cli {

const char kRenderUsage[] =
    "  zarni-cli render DOC.zarni OUT.png [--size WxH] [--view VIEW] [--mode wire|shaded]\n"
    "                                                draw the document as a view does, as PNG\n"
    "                                                (VIEW: persp, front, back, left, right,\n"
    "                                                top or bottom; default 256x256, persp,\n"
    "                                                shaded)\n"
    "  zarni-cli render DOC.zarni OUT.png --povray [--size WxH] [--view VIEW] [--quality 0..11]\n"
    "                                  [--antialias]\n"
    "                                                trace the same camera's picture through\n"
    "                                                POV-Ray 3.7 (quality default 9)\n";

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Larger pictures than this are refused before a context is asked for one.
constexpr int32_t kMaxSide = 8192;

struct RenderOptions {
    std::string document;
    std::string output;
    int32_t width = 256;
    int32_t height = 256;
    int32_t direction = -1;  // an OrthoDirection, -1 for the perspective view
    uint8_t mode = kDisplayShaded;
    bool modeGiven = false;
    bool povray = false;
    bool qualityGiven = false;
    PovrayOptions traced;
};

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zarni-cli: %s\nusage:\n%s", problem.c_str(), kRenderUsage);
    return kExitUsage;
}

int Failure(const std::string& text) {
    std::fprintf(stderr, "zarni-cli: %s\n", text.c_str());
    return kExitFailure;
}

bool ParseSide(const char* text, const char** end, int32_t& side) {
    if (*text < '0' || *text > '9') return false;
    char* stop = nullptr;
    const long value = std::strtol(text, &stop, 10);
    *end = stop;
    if (value < 1 || value > kMaxSide) return false;
    side = static_cast<int32_t>(value);
    return true;
}

bool ParseSize(const std::string& text, int32_t& width, int32_t& height) {
    const char* end = nullptr;
    if (!ParseSide(text.c_str(), &end, width) || (*end != 'x' && *end != 'X')) return false;
    return ParseSide(end + 1, &end, height) && *end == '\0';
}

bool ParseView(const std::string& name, int32_t& direction) {
    static const struct {
        const char* name;
        int32_t direction;
    } kViews[] = {{"persp", -1},          {"front", kViewFront}, {"back", kViewBack},
                  {"left", kViewLeft},    {"right", kViewRight}, {"top", kViewTop},
                  {"bottom", kViewBottom}};
    for (const auto& v : kViews) {
        if (name == v.name) {
            direction = v.direction;
            return true;
        }
    }
    return false;
}

// Empty when the arguments are good, else what is wrong with them.
std::string ParseOptions(const std::vector<std::string>& args, RenderOptions& options) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--size") {
            if (!hasValue || !ParseSize(args[i + 1], options.width, options.height)) {
                return "--size needs WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxSide) +
                       ", e.g. 256x256";
            }
            ++i;
        } else if (a == "--view") {
            if (!hasValue || !ParseView(args[i + 1], options.direction)) {
                return "--view needs persp, front, back, left, right, top or bottom";
            }
            ++i;
        } else if (a == "--mode") {
            if (!hasValue || (args[i + 1] != "wire" && args[i + 1] != "shaded")) {
                return "--mode needs wire or shaded";
            }
            options.mode = args[i + 1] == "wire" ? kDisplayWireframe : kDisplayShaded;
            options.modeGiven = true;
            ++i;
        } else if (a == "--povray") {
            options.povray = true;
        } else if (a == "--antialias") {
            options.traced.antialias = true;
        } else if (a == "--quality") {
            const char* text = hasValue ? args[i + 1].c_str() : "";
            char* end = nullptr;
            const long q = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || q < kPovrayMinQuality || q > kPovrayMaxQuality)
                return "--quality needs a number from 0 to 11";
            options.traced.quality = static_cast<int32_t>(q);
            options.qualityGiven = true;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option \"" + a + "\" for render";
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return "render takes a document and an output file";
    if (options.povray && options.modeGiven)
        return "--mode is for the views' drawing, not --povray";
    if (!options.povray && (options.qualityGiven || options.traced.antialias))
        return "--quality and --antialias go with --povray";
    options.document = files[0];
    options.output = files[1];
    return "";
}

// The program's settings file. zarni-cli asks for its own, which beside the executable is
// "zarni-cli.ini"; a render reads the one the program "zarni" in the same folder reads, so the
// picture has the colours the views have.
std::string ProgramSettingsPath() {
    std::string path = SettingsPath();
    static const std::string kCliName = "/zarni-cli.ini";
    if (path.size() > kCliName.size() &&
        path.compare(path.size() - kCliName.size(), kCliName.size(), kCliName) == 0) {
        path.replace(path.size() - kCliName.size(), kCliName.size(), "/zarni.ini");
    }
    return path;
}

// An offscreen RGBA context with a depth buffer, current for its lifetime.
class OffscreenContext {
  public:
    OffscreenContext(int32_t width, int32_t height)
        : pixels_(static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
        current_ = context_ &&
                   OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width, height);
    }
    ~OffscreenContext() {
        if (context_) OSMesaDestroyContext(context_);
    }
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;
    bool current() const { return current_; }

  private:
    std::vector<uint8_t> pixels_;
    OSMesaContext context_ = nullptr;
    bool current_ = false;
};

// Top row first, packed RGB, from the bottom-up RGBA rows GL reads back.
std::vector<uint8_t> ReadPicture(int32_t width, int32_t height) {
    const size_t w = static_cast<size_t>(width);
    std::vector<uint8_t> rgba(w * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<uint8_t> rgb(w * static_cast<size_t>(height) * 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = rgba.data() + w * 4 * static_cast<size_t>(height - 1 - y);
        uint8_t* to = rgb.data() + w * 3 * static_cast<size_t>(y);
        for (size_t x = 0; x < w; ++x) {
            to[x * 3] = from[x * 4];
            to[x * 3 + 1] = from[x * 4 + 1];
            to[x * 3 + 2] = from[x * 4 + 2];
        }
    }
    return rgb;
}

// The same camera traced by POV-Ray in a folder of its own, waited for here.
int TraceWithPovray(const Document& doc, const ViewCamera& view, const Settings& settings,
                    RenderOptions& options) {
    options.traced.width = options.width;
    options.traced.height = options.height;
    PovrayJob job;
    if (!job.Start(doc, SceneViewOfCamera(view, doc.view.fovy, settings.backColorRGBA),
                   options.traced)) {
        return Failure(job.message());
    }
    while (job.Wait(200) == PovrayJob::State::Running) {
    }
    if (job.state() != PovrayJob::State::Done) return Failure(job.message());
    const RgbPicture& picture = job.picture();
    std::string why;
    if (!WritePngFile(options.output, picture.width, picture.height, picture.rgb, &why)) {
        return Failure(why);
    }
    return 0;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args) {
    RenderOptions options;
    const std::string problem = ParseOptions(args, options);
    if (!problem.empty()) return Usage(problem);

    // The state of a freshly started program with the document opened, as in the other
    // commands: its settings, then the file (whose "view" chunk may carry the camera memories).
    const Settings settings = LoadSettings(ProgramSettingsPath());
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    doc.view.fovy = settings.fovy;
    doc.view.orthoAltitude.fill(settings.defaultAltitude);
    sw.divLevel = settings.divLevel;
    // Pictures live in files beside the document; a render shows the model alone.
    sw.backPictureVisible = 0;
    std::string why;
    const int result = ReadDocumentFile(doc, sw, clipboard, options.document, {}, &why);
    if (result != kFileOk) {
        return Failure(options.document + " " + DocumentFileResultText(result) + ": " + why);
    }
    ClearPointSelection(doc);
    sw.showAllObjects = 1;

    ViewCamera view;
    view.width = options.width;
    view.height = options.height;
    InitViewCamera(view, settings.defaultAltitude);
    if (options.direction >= 0) {
        const CameraMemories memories = CameraMemoriesFromDocument(doc);
        view.altitude = memories.orthoAltitude[options.direction];
        SelectOrthoDirection(view, memories, options.direction);
        UpdateCamera(view);
    }
    view.displayMode = options.mode;
    if (options.povray) return TraceWithPovray(doc, view, settings, options);

    OffscreenContext context(options.width, options.height);
    if (!context.current()) {
        return Failure("no offscreen GL context of " + std::to_string(options.width) + " x " +
                       std::to_string(options.height) + " pixels could be made");
    }
    InitContextState(settings);
    SceneInput in(doc, sw, settings);
    LoadProjection(view, doc.view.fovy);
    DrawView(in, view);
    glFinish();
    const std::vector<uint8_t> rgb = ReadPicture(options.width, options.height);
    if (!WritePngFile(options.output, options.width, options.height, rgb, &why)) {
        return Failure(why);
    }
    return 0;
}

}  // namespace zarni::cli
