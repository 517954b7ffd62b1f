// SVG drawings read as curves: every path and basic shape under every transform, as chains of
// cubic pieces in the drawing's own coordinates (y downwards).
#pragma once

#include <map>
#include <string>

#include "formats/curve_import.h"

namespace zarni {

// What a drawing held besides its curves.
struct SvgImportNote {
    // Elements that draw nothing here (text, pictures, gradients, clip paths, references...),
    // by element name. Descriptive elements (title, desc, metadata) and elements of other
    // programs' namespaces are not counted.
    std::map<std::string, int> leftOut;

    int LeftOutCount() const;
    // "3 elements that draw nothing were left out: linearGradient 1, text 2"; empty when none.
    std::string Text() const;
};

// Reads the drawing in `bytes` whole: false, with the reason in `why`, for text that is not
// well-formed XML (even when drawable elements come before the damage), a root element that
// is not <svg>, an attribute value that cannot be read (a broken path) or a drawing without
// any curve. `curves` receives the curves only when the whole drawing was read.
bool ReadSvgCurves(const std::string& bytes, CurveSet& curves, SvgImportNote* note,
                   std::string* why);

// The same from a file.
bool ReadSvgCurvesFile(const std::string& path, CurveSet& curves, SvgImportNote* note,
                       std::string* why);

// A drawing as it is imported: read and placed on the front plane, y up, the curves' bounding
// box centred on the origin with its larger side `size` units long.
bool ImportSvgFile(const std::string& path, double size, CurveSet& curves, SvgImportNote* note,
                   std::string* why);

// Whether a file name names an SVG drawing (by its extension, .svg in any case).
bool IsSvgFileName(const std::string& path);

}  // namespace zarni
