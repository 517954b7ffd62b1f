// Text outlines through FreeType, the font found by fontconfig: glyph contours decomposed into
// lines, quadratic and cubic pieces, set one after another along the pen's advance and kerning.
#include "formats/text_outline.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

namespace zarni {

namespace {

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

// Family names compare as fontconfig compares them: case and blanks do not count.
std::string FamilyKey(const std::string& name) {
    std::string key;
    for (char ch : name) {
        if (ch == ' ' || ch == '-' || ch == '_') continue;
        key += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    }
    return key;
}

bool IsGenericFamily(const std::string& key) {
    static const char* const kGeneric[] = {"sans",      "sansserif", "serif",   "mono",
                                           "monospace", "systemui",  "cursive", "fantasy"};
    return std::any_of(std::begin(kGeneric), std::end(kGeneric),
                       [&key](const char* g) { return key == g; });
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternFree>;

// Decodes UTF-8 strictly: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool DecodeUtf8(const std::string& text, std::vector<char32_t>& out) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra;
        char32_t cp;
        if (lead < 0x80) {
            extra = 0;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= text.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

std::string CodePointText(char32_t cp) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    return code;
}

// Receives FreeType's decomposition of one glyph, shifted along the line by the pen.
struct OutlineSink {
    CurveBuilder* builder;
    double penX;

    CurvePoint At(const FT_Vector* v) const {
        return {static_cast<double>(v->x) + penX, static_cast<double>(v->y)};
    }
};

int SinkMove(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    // FreeType ends every contour with the piece back to its start before the next move.
    sink->builder->Close();
    sink->builder->MoveTo(sink->At(to));
    return 0;
}

int SinkLine(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->builder->LineTo(sink->At(to));
    return 0;
}

int SinkConic(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->builder->QuadTo(sink->At(control), sink->At(to));
    return 0;
}

int SinkCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->builder->CubicTo(sink->At(c1), sink->At(c2), sink->At(to));
    return 0;
}

struct LibraryFree {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceFree {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

}  // namespace

bool FindFontFile(const std::string& fontIn, std::string* file, int* faceIndex, std::string* why) {
    const std::string font = fontIn.empty() ? std::string(kDefaultOutlineFont) : fontIn;
    if (font.find('/') != std::string::npos || IsRegularFile(font)) {
        if (!IsRegularFile(font)) return Fail(why, "the font file " + font + " does not exist");
        *file = font;
        *faceIndex = 0;
        return true;
    }
    if (!FcInit()) return Fail(why, "fontconfig cannot be set up");
    PatternPtr asked(FcNameParse(reinterpret_cast<const FcChar8*>(font.c_str())));
    if (!asked) return Fail(why, "\"" + font + "\" is not a font name or pattern");
    PatternPtr pattern(FcPatternDuplicate(asked.get()));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return Fail(why, "no installed font matches \"" + font + "\"");

    // fontconfig always answers with some font; one of another family is not the font asked for.
    FcChar8* family = nullptr;
    if (FcPatternGetString(asked.get(), FC_FAMILY, 0, &family) == FcResultMatch) {
        const std::string wanted = FamilyKey(reinterpret_cast<const char*>(family));
        bool found = IsGenericFamily(wanted);
        FcChar8* have = nullptr;
        for (int n = 0;
             !found && FcPatternGetString(match.get(), FC_FAMILY, n, &have) == FcResultMatch; ++n)
            found = FamilyKey(reinterpret_cast<const char*>(have)) == wanted;
        if (!found) {
            return Fail(why, "no installed font is called \"" +
                                 std::string(reinterpret_cast<const char*>(family)) + "\"");
        }
    }
    FcChar8* path = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch)
        return Fail(why, "the font \"" + font + "\" has no file");
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    *file = reinterpret_cast<const char*>(path);
    *faceIndex = index;
    return true;
}

bool TextOutlineCurves(const std::string& text, const std::string& font, CurveSet& curves,
                       std::string* why) {
    std::vector<char32_t> chars;
    if (!DecodeUtf8(text, chars)) return Fail(why, "the text is not valid UTF-8");
    if (chars.empty()) return Fail(why, "the text is empty");
    std::string file;
    int faceIndex = 0;
    if (!FindFontFile(font, &file, &faceIndex, why)) return false;

    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) return Fail(why, "FreeType cannot be set up");
    std::unique_ptr<FT_LibraryRec_, LibraryFree> library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), file.c_str(), faceIndex, &rawFace) != 0)
        return Fail(why, "the font file " + file + " cannot be read");
    std::unique_ptr<FT_FaceRec_, FaceFree> face(rawFace);
    if (!FT_IS_SCALABLE(face.get())) return Fail(why, "the font " + file + " has no outlines");

    FT_Outline_Funcs funcs{};
    funcs.move_to = SinkMove;
    funcs.line_to = SinkLine;
    funcs.conic_to = SinkConic;
    funcs.cubic_to = SinkCubic;

    CurveSet read;
    CurveBuilder builder(read);
    OutlineSink sink{&builder, 0.0};
    const bool kerning = FT_HAS_KERNING(face.get());
    FT_UInt previous = 0;
    for (char32_t cp : chars) {
        if (cp < 0x20 || cp == 0x7F) cp = ' ';
        const FT_UInt glyph = FT_Get_Char_Index(face.get(), cp);
        if (glyph == 0) {
            std::string shown = cp < 0x80 ? std::string("\"") + static_cast<char>(cp) + "\" " : "";
            return Fail(why, "the font has no glyph for the character " + shown + "(" +
                                 CodePointText(cp) + ")");
        }
        if (kerning && previous != 0) {
            FT_Vector delta{0, 0};
            if (FT_Get_Kerning(face.get(), previous, glyph, FT_KERNING_UNSCALED, &delta) == 0)
                sink.penX += static_cast<double>(delta.x);
        }
        if (FT_Load_Glyph(face.get(), glyph,
                          FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            return Fail(why, "the font's glyph for " + CodePointText(cp) + " cannot be read");
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0) {
            if (FT_Outline_Decompose(&slot->outline, &funcs, &sink) != 0)
                return Fail(why, "the font's outline for " + CodePointText(cp) + " is damaged");
            builder.Close();
        }
        sink.penX += static_cast<double>(slot->advance.x);
        previous = glyph;
    }
    builder.End();
    if (read.empty()) return Fail(why, "the text has no outline (only blanks)");
    curves = std::move(read);
    return true;
}

bool ImportTextOutlines(const std::string& text, const std::string& font, double size,
                        CurveSet& curves, std::string* why) {
    CurveSet read;
    if (!TextOutlineCurves(text, font, read, why)) return false;
    if (!PlaceCurves(read, size, false, why)) return false;
    curves = std::move(read);
    return true;
}

std::vector<std::string> InstalledFontFamilies() {
    std::set<std::string> families;
    if (!FcInit()) return {};
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern.get(), objects);
    FcObjectSetDestroy(objects);
    if (fonts == nullptr) return {};
    for (int i = 0; i < fonts->nfont; ++i) {
        // The English name where the font has one, as fontconfig patterns are usually written.
        FcChar8* chosen = nullptr;
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch;
             ++n) {
            FcChar8* lang = nullptr;
            if (chosen == nullptr) chosen = name;
            if (FcPatternGetString(fonts->fonts[i], FC_FAMILYLANG, n, &lang) == FcResultMatch &&
                std::string(reinterpret_cast<const char*>(lang)) == "en") {
                chosen = name;
                break;
            }
        }
        if (chosen != nullptr) families.insert(reinterpret_cast<const char*>(chosen));
    }
    FcFontSetDestroy(fonts);
    return std::vector<std::string>(families.begin(), families.end());
}

}  // namespace zarni
