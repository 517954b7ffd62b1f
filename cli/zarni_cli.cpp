// zarni-cli: inspect, export, re-save and script documents without the GUI.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/apply.h"
#include "cli/document_json.h"
#include "cli/import.h"
#include "cli/render.h"
#include "model/document.h"
#include "platform/file_io.h"
#include "formats/native_file.h"
#include "formats/gltf_export.h"
#include "formats/obj_export.h"
#include "formats/stl_export.h"
#include "formats/pov_export.h"
#include "formats/bitmap.h"
#include "platform/profile.h"
#include "formats/settings_file.h"
#include "rules/shape_settings.h"

namespace {

using namespace zarni;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage:\n"
    "  zarni-cli info DOC.zarni                      print the document as JSON\n"
    "  zarni-cli export DOC.zarni OUT.pov|OUT.inc [--size WxH] [--pov 3.7]\n"
    "                                                write a POV-Ray scene or include file\n"
    "                                                (--pov 3.7: in the language of POV-Ray 3.7)\n"
    "  zarni-cli export DOC.zarni OUT.obj [--div N]  write the patches as a Wavefront OBJ mesh\n"
    "                                                and OUT.mtl (N 1..20, default DivLevel)\n"
    "  zarni-cli export DOC.zarni OUT.stl|OUT.glb [--div N]\n"
    "                                                write the mesh as binary STL (3D printing)\n"
    "                                                or glTF 2.0 binary (viewers, engines)\n"
    "  zarni-cli resave DOC.zarni OUT.zarni          read and write the document again\n"
    "  zarni-cli apply IN.zarni|- OUT.zarni OP...    apply operations, write the result\n"
    "                                                (- starts from a new document)\n"
    "  zarni-cli picture IN.bmp OUT.ppm              decode a BMP picture, write it as PPM\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "zarni-cli: %s\n", problem);
    std::fputs(kUsage, stderr);
    std::fputs(cli::kRenderUsage, stderr);
    std::fputs(cli::kImportUsage, stderr);
    return kExitUsage;
}

int Failure(const std::string& text) {
    std::fprintf(stderr, "zarni-cli: %s\n", text.c_str());
    return kExitFailure;
}

// The state a freshly started program has: its settings applied to a new document.
struct Session {
    Settings settings;
    Document doc;
    EditSwitches sw;
    Clipboard clipboard;

    Session() : settings(LoadSettings(SettingsPath())), doc(NewDocument()) {
        doc.view.fovy = settings.fovy;
        doc.view.orthoAltitude.fill(settings.defaultAltitude);
        sw.divLevel = settings.divLevel;
        sw.backPictureVisible = settings.backPictureVisible;
    }

    bool Read(const std::string& path, std::string* why) {
        std::string reason;
        const int result = ReadDocumentFile(doc, sw, clipboard, path, {}, &reason);
        if (result == kFileOk) return true;
        *why = path + " " + DocumentFileResultText(result) + ": " + reason;
        return false;
    }
};

bool ParseSize(const char* text, int32_t& width, int32_t& height) {
    char* end = nullptr;
    const long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0') return false;
    if (w < 1 || h < 1 || w > 100000 || h > 100000) return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

int Info(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("info takes one document");
    Session s;
    std::string why;
    if (!s.Read(args[0], &why)) return Failure(why);
    const std::string json = cli::DocumentJson(s.doc, s.sw);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}

int Export(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    int32_t width = 800, height = 560;
    bool pov37 = false;
    std::optional<int32_t> divLevel;
    bool sizeGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--size") {
            if (i + 1 >= args.size() || !ParseSize(args[i + 1].c_str(), width, height)) {
                return Usage("--size needs WIDTHxHEIGHT, e.g. 800x560");
            }
            sizeGiven = true;
            ++i;
        } else if (args[i] == "--pov") {
            if (i + 1 >= args.size() || args[i + 1] != "3.7") {
                return Usage("--pov takes the version 3.7 (without it: the MegaPov 0.7 text)");
            }
            pov37 = true;
            ++i;
        } else if (args[i] == "--div") {
            char* end = nullptr;
            const char* text = i + 1 < args.size() ? args[i + 1].c_str() : "";
            const long n = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || n < 1 || n > 20) {
                return Usage("--div needs a subdivision level from 1 to 20");
            }
            divLevel = static_cast<int32_t>(n);
            ++i;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) return Usage("export takes a document and an output file");
    const std::string& out = files[1];
    const bool scene = EndsWithNoCase(out, ".pov");
    const bool obj = EndsWithNoCase(out, ".obj");
    const bool stl = EndsWithNoCase(out, ".stl");
    const bool glb = EndsWithNoCase(out, ".glb");
    const bool mesh = obj || stl || glb;
    if (!scene && !mesh && !EndsWithNoCase(out, ".inc")) {
        return Usage(
            "the output file must end in .pov (scene), .inc (include), .obj, .stl or .glb (mesh)");
    }
    if (mesh && (pov37 || sizeGiven)) return Usage("--pov and --size are for .pov and .inc files");
    if (!mesh && divLevel) return Usage("--div is for .obj, .stl and .glb files");
    Session s;
    std::string why;
    if (!s.Read(files[0], &why)) return Failure(why);
    int result;
    if (mesh) {
        const int32_t level = divLevel.value_or(s.settings.divLevel);
        result = obj   ? ExportObj(s.doc, level, out, &why)
                 : stl ? ExportStl(s.doc, level, out, &why)
                       : ExportGlb(s.doc, level, out, &why);
    } else if (scene) {
        const SceneView view = DefaultSceneView(width, height, s.settings.defaultAltitude,
                                                s.doc.view.fovy, s.settings.backColorRGBA);
        result =
            pov37 ? ExportScene37(s.doc, view, out, &why) : ExportScene(s.doc, view, out, &why);
    } else {
        result = pov37 ? ExportInclude37(s.doc, out, &why) : ExportInclude(s.doc, out, &why);
    }
    return result == 0 ? 0 : Failure(why);
}

int Resave(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("resave takes a document and an output file");
    Session s;
    std::string why;
    if (!s.Read(args[0], &why)) return Failure(why);
    if (WriteDocumentFile(s.doc, args[1], &why) != kFileOk) return Failure(why);
    return 0;
}

int Apply(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage("apply takes an input, an output and operations");
    Session s;
    std::string why;
    if (args[0] != "-") {
        if (!s.Read(args[0], &why)) return Failure(why);
        // As after opening a document in the program, editing starts without a selection.
        ClearPointSelection(s.doc);
    }
    cli::ApplyState state{s.doc, s.sw, s.clipboard};
    state.extrude = LoadExtrudeSettings(SettingsPath());
    state.lathe = LoadLatheSettings(SettingsPath());
    const std::vector<std::string> ops(args.begin() + 2, args.end());
    if (!cli::ApplyOperations(state, ops, &why)) return Failure(why);
    if (WriteDocumentFile(s.doc, args[1], &why) != kFileOk) return Failure(why);
    return 0;
}

// Decodes a picture as the program does for a background picture and writes it as a binary
// PPM, top row first.
int Picture(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("picture takes a BMP file and an output file");
    std::string why;
    const std::optional<BitmapImage> image = ReadBitmapFile(args[0], &why);
    if (!image) return Failure(args[0] + " cannot be read as a picture: " + why);
    const PicturePixels pixels = MakePicturePixels(*image);
    const std::string header =
        "P6\n" + std::to_string(pixels.width) + " " + std::to_string(pixels.height) + "\n255\n";
    const bool ok = WriteFileAtomically(
        args[1],
        [&](std::FILE* f) {
            return std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                   std::fwrite(pixels.rgb.data(), 1, pixels.rgb.size(), f) == pixels.rgb.size();
        },
        &why);
    return ok ? 0 : Failure(why);
}

}  // namespace

int Dispatch(int argc, char** argv) {
    if (argc < 2) return Usage(nullptr);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info") return Info(args);
    if (command == "export") return Export(args);
    if (command == "resave") return Resave(args);
    if (command == "apply") return Apply(args);
    if (command == "picture") return Picture(args);
    if (command == "render") return cli::RenderCommand(args);
    if (command == "import") return cli::ImportCommand(args);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        std::fputs(cli::kRenderUsage, stdout);
        std::fputs(cli::kImportUsage, stdout);
        return 0;
    }
    return Usage(("unknown command \"" + command + "\"").c_str());
}

// The boundary of every command: what a command did not expect (memory running out above all)
// is a message and exit status 1, never an abort; nothing was written half-way, since every
// file goes through the durable writer.
int main(int argc, char** argv) {
    try {
        return Dispatch(argc, argv);
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory to finish the command");
    } catch (const std::exception& e) {
        return Failure(e.what());
    }
}
