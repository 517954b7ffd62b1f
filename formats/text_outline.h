// Text as curves: the outlines of a line of UTF-8 text in a font found through fontconfig (or
// named by its file), laid out by the font's advance widths and kerning.
#pragma once

#include <string>
#include <vector>

#include "formats/curve_import.h"

namespace zarni {

// The font the program's own windows use, and the one text is set in unless another is named.
constexpr const char* kDefaultOutlineFont = "IPAPGothic";

// The font file (and face index within it) for `font`: the path of a font file, or a
// fontconfig pattern ("IPAPGothic", "DejaVu Sans:bold"). A pattern whose family is not
// installed is refused rather than quietly replaced by another font.
bool FindFontFile(const std::string& font, std::string* file, int* faceIndex, std::string* why);

// The outlines of `text` on one line, in the font's units with y upwards: each contour a
// closed chain, quadratic pieces raised exactly. Line breaks and tabs count as spaces. False,
// with the reason, for a font that cannot be found or read, text that is not UTF-8, a
// character the font has no glyph for, or text without any outline (blanks only).
bool TextOutlineCurves(const std::string& text, const std::string& font, CurveSet& curves,
                       std::string* why);

// The outlines placed as imports are: centred on the origin, the larger side `size` long.
bool ImportTextOutlines(const std::string& text, const std::string& font, double size,
                        CurveSet& curves, std::string* why);

// The families of the installed fonts that have outlines, sorted, each once.
std::vector<std::string> InstalledFontFamilies();

}  // namespace zarni
