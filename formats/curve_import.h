// Curves brought in from drawings and fonts: chains of cubic pieces built from lines, quadratic
// and cubic Beziers, placed on the front plane and turned into an object of curve segments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/document.h"

namespace zarni {

struct CurvePoint {
    double x = 0.0;
    double y = 0.0;
};

// One chain of cubic pieces: anchors at points 0, 3, 6, ..., the two handles of each piece
// between them. A closed chain's last anchor lies exactly on its first, and becomes that same
// point of the object.
struct CurveChain {
    std::vector<CurvePoint> points;
    bool closed = false;

    size_t PieceCount() const { return points.empty() ? 0 : (points.size() - 1) / 3; }
};

using CurveSet = std::vector<CurveChain>;

// Builds chains piece by piece from the drawing commands of a path or an outline. Pieces that
// draw nothing (all four points on one spot) are dropped, and so are chains left without a
// piece, so a lone move or a zero-length line adds nothing.
class CurveBuilder {
  public:
    explicit CurveBuilder(CurveSet& out) : out_(out) {}

    void MoveTo(CurvePoint p);
    // A straight piece: its handles at a third and two thirds of the way.
    void LineTo(CurvePoint p);
    // A quadratic piece, raised to the cubic that draws exactly the same curve.
    void QuadTo(CurvePoint c, CurvePoint p);
    void CubicTo(CurvePoint c1, CurvePoint c2, CurvePoint p);
    // Closes the chain: a straight piece back to its start unless it is already there, then the
    // last anchor is put on the first.
    void Close();
    // Ends an open chain (a following MoveTo or the end of the path).
    void End();

    bool Open() const { return open_; }
    CurvePoint Start() const { return start_; }
    CurvePoint Current() const { return current_; }

  private:
    void Piece(CurvePoint c1, CurvePoint c2, CurvePoint p);

    CurveSet& out_;
    CurveChain chain_;
    CurvePoint start_;
    CurvePoint current_;
    bool open_ = false;
};

// The bounding box of the curves themselves (their extremes, not their handles).
struct CurveBounds {
    double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
    bool empty = true;
};
CurveBounds BoundsOfCurves(const CurveSet& curves);

// Centres the curves' bounding box on the origin and scales them uniformly so that its larger
// side spans `size`; `flipY` turns a drawing whose y runs downwards (SVG) the right way up.
// False, with the reason, when the curves have no extent or hold a coordinate that is not a
// finite number.
bool PlaceCurves(CurveSet& curves, double size, bool flipY, std::string* why);

// Appends the chains to `obj` as anchors, handles and segments in the z = 0 plane, each handle
// owned by the anchor at its end of the segment, on point layer `layer`. Returns the index of
// the first point added.
int32_t AppendCurvesToObject(PatchObject& obj, const CurveSet& curves, uint8_t layer);

// Puts the curves into the current object (which must exist), selects all its anchors (the
// last one active), rebuilds its caches and marks the document as changed. `sw` gives the
// layer (the first one shown, so the new points can be picked) and the pivot rule.
void PutCurvesInCurrentObject(Document& doc, const EditSwitches& sw, const CurveSet& curves);

// The same in a new object, which becomes current.
void AddCurvesObject(Document& doc, const EditSwitches& sw, const CurveSet& curves);

// The import size a user gave: a finite number above zero.
bool ParseImportSize(const std::string& text, double* size);

}  // namespace zarni
