// zarni-cli import: SVG drawings and text outlines written as a new document of one object.
#include "cli/import.h"

#include <cstdio>
#include <optional>

#include "formats/curve_import.h"
#include "formats/native_file.h"
#include "formats/settings_file.h"
#include "formats/svg_import.h"
#include "formats/text_outline.h"
#include "model/document.h"
#include "platform/profile.h"

namespace zarni::cli {

const char kImportUsage[] =
    "  zarni-cli import IN.svg OUT.zarni [--size S]  the paths and shapes of an SVG drawing as\n"
    "                                                curves of one object, the larger side S\n"
    "                                                units long (default 2)\n"
    "  zarni-cli import --text TEXT [--font FONT] [--size S] OUT.zarni\n"
    "                                                the outlines of TEXT in a font (fontconfig\n"
    "                                                pattern or font file; default IPAPGothic)\n";

namespace {

constexpr double kDefaultImportSize = 2.0;

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zarni-cli: %s\n", problem.c_str());
    std::fputs(kImportUsage, stderr);
    return 2;
}

int Failure(const std::string& text) {
    std::fprintf(stderr, "zarni-cli: %s\n", text.c_str());
    return 1;
}

}  // namespace

int ImportCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::optional<std::string> text, font;
    double size = kDefaultImportSize;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--size") {
            if (!hasValue || !ParseImportSize(args[i + 1], &size))
                return Usage("--size needs a length above zero, e.g. 2 or 0.5");
            ++i;
        } else if (arg == "--text") {
            if (!hasValue) return Usage("--text needs the text to set");
            text = args[++i];
        } else if (arg == "--font") {
            if (!hasValue) return Usage("--font needs a font name, pattern or file");
            font = args[++i];
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            return Usage("unknown option \"" + arg + "\"");
        } else {
            files.push_back(arg);
        }
    }
    if (font && !text) return Usage("--font is for --text");
    if (text ? files.size() != 1 : files.size() != 2)
        return Usage(
            "import takes an SVG file and an output file, or --text TEXT and an output file");

    CurveSet curves;
    std::string why;
    if (text) {
        if (!ImportTextOutlines(*text, font.value_or(kDefaultOutlineFont), size, curves, &why))
            return Failure("the text cannot be imported: " + why);
    } else {
        SvgImportNote note;
        if (!ImportSvgFile(files[0], size, curves, &note, &why))
            return Failure(files[0] + " cannot be imported: " + why);
        if (note.LeftOutCount() > 0)
            std::fprintf(stderr, "zarni-cli: note: %s\n", note.Text().c_str());
    }

    // A new document as the program starts with one, its settings applied; the curves go into
    // its first object.
    const Settings settings = LoadSettings(SettingsPath());
    Document doc = NewDocument();
    doc.view.fovy = settings.fovy;
    doc.view.orthoAltitude.fill(settings.defaultAltitude);
    EditSwitches sw;
    PutCurvesInCurrentObject(doc, sw, curves);
    if (WriteDocumentFile(doc, files.back(), &why) != kFileOk) return Failure(why);
    return 0;
}

}  // namespace zarni::cli
