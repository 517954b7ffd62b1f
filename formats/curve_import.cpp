// Chains of cubic pieces from drawings and fonts, their placement and the object they become.
#include "formats/curve_import.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zarni {

namespace {

// Two points count as one when they differ by no more than the rounding of the coordinates'
// own size: a path that returns to its start by relative steps ends a few ulps away from it.
bool SameSpot(CurvePoint a, CurvePoint b) {
    const double scale = std::max({1.0, std::fabs(a.x), std::fabs(a.y)});
    const double eps = 1e-9 * scale;
    return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps;
}

CurvePoint Lerp(CurvePoint a, CurvePoint b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The extremes of one coordinate of a cubic over 0..1 widen [lo, hi].
void CubicRange(double p0, double p1, double p2, double p3, double& lo, double& hi) {
    lo = std::min({lo, p0, p3});
    hi = std::max({hi, p0, p3});
    // Zeros of the derivative, divided by 3: A t^2 + B t + C.
    const double a = p1 - p0, b = p2 - p1, c = p3 - p2;
    const double qa = a - 2.0 * b + c, qb = 2.0 * (b - a), qc = a;
    double roots[2];
    int n = 0;
    if (std::fabs(qa) < 1e-12 * (std::fabs(a) + std::fabs(b) + std::fabs(c))) {
        if (qb != 0.0) roots[n++] = -qc / qb;
    } else {
        const double disc = qb * qb - 4.0 * qa * qc;
        if (disc >= 0.0) {
            const double r = std::sqrt(disc);
            roots[n++] = (-qb + r) / (2.0 * qa);
            roots[n++] = (-qb - r) / (2.0 * qa);
        }
    }
    for (int i = 0; i < n; ++i) {
        const double t = roots[i];
        if (!(t > 0.0 && t < 1.0)) continue;
        const double u = 1.0 - t;
        const double v =
            u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

}  // namespace

void CurveBuilder::MoveTo(CurvePoint p) {
    End();
    chain_ = CurveChain{};
    chain_.points.push_back(p);
    start_ = current_ = p;
    open_ = true;
}

void CurveBuilder::Piece(CurvePoint c1, CurvePoint c2, CurvePoint p) {
    if (!open_) MoveTo(current_);
    if (SameSpot(current_, c1) && SameSpot(current_, c2) && SameSpot(current_, p)) return;
    chain_.points.push_back(c1);
    chain_.points.push_back(c2);
    chain_.points.push_back(p);
    current_ = p;
}

void CurveBuilder::LineTo(CurvePoint p) {
    Piece(Lerp(current_, p, 1.0 / 3.0), Lerp(current_, p, 2.0 / 3.0), p);
}

void CurveBuilder::QuadTo(CurvePoint c, CurvePoint p) {
    // The cubic with handles two thirds of the way from each end to the control point traces
    // the same parabola.
    Piece(Lerp(current_, c, 2.0 / 3.0), Lerp(p, c, 2.0 / 3.0), p);
}

void CurveBuilder::CubicTo(CurvePoint c1, CurvePoint c2, CurvePoint p) {
    Piece(c1, c2, p);
}

void CurveBuilder::Close() {
    if (!open_) return;
    if (!SameSpot(current_, start_)) LineTo(start_);
    if (chain_.PieceCount() > 0) {
        chain_.points.back() = chain_.points.front();
        chain_.closed = true;
    }
    End();
    // What follows a close without a move starts where the closed chain started.
    current_ = start_;
}

void CurveBuilder::End() {
    if (open_ && chain_.PieceCount() > 0) out_.push_back(std::move(chain_));
    chain_ = CurveChain{};
    open_ = false;
}

CurveBounds BoundsOfCurves(const CurveSet& curves) {
    CurveBounds box;
    box.minX = box.minY = HUGE_VAL;
    box.maxX = box.maxY = -HUGE_VAL;
    for (const CurveChain& chain : curves) {
        for (size_t i = 0; i + 3 < chain.points.size(); i += 3) {
            const CurvePoint* p = &chain.points[i];
            CubicRange(p[0].x, p[1].x, p[2].x, p[3].x, box.minX, box.maxX);
            CubicRange(p[0].y, p[1].y, p[2].y, p[3].y, box.minY, box.maxY);
            box.empty = false;
        }
    }
    if (box.empty) box = CurveBounds{};
    return box;
}

bool PlaceCurves(CurveSet& curves, double size, bool flipY, std::string* why) {
    auto fail = [why](const char* text) {
        if (why) *why = text;
        return false;
    };
    for (const CurveChain& chain : curves)
        for (const CurvePoint& p : chain.points)
            if (!std::isfinite(p.x) || !std::isfinite(p.y))
                return fail("a coordinate is too large or not a number");
    const CurveBounds box = BoundsOfCurves(curves);
    if (box.empty) return fail("nothing to draw");
    const double extent = std::max(box.maxX - box.minX, box.maxY - box.minY);
    if (!(extent > 0.0) || !std::isfinite(extent)) return fail("the drawing has no extent");
    const double scale = size / extent;
    const double cx = 0.5 * (box.minX + box.maxX), cy = 0.5 * (box.minY + box.maxY);
    const double sy = flipY ? -scale : scale;
    for (CurveChain& chain : curves) {
        for (CurvePoint& p : chain.points) {
            p.x = (p.x - cx) * scale;
            p.y = (p.y - cy) * sy;
        }
    }
    return true;
}

int32_t AppendCurvesToObject(PatchObject& obj, const CurveSet& curves, uint8_t layer) {
    const int32_t first = obj.pointCount();
    size_t points = 0, segments = 0;
    for (const CurveChain& chain : curves) {
        points += chain.points.size() - (chain.closed ? 1 : 0);
        segments += chain.PieceCount();
    }
    obj.points.reserve(obj.points.size() + points);
    obj.segments.reserve(obj.segments.size() + segments);
    auto add = [&obj, layer](CurvePoint p, int32_t anchor) {
        ControlPoint cp;
        cp.x = static_cast<float>(p.x);
        cp.y = static_cast<float>(p.y);
        cp.z = 0.0f;
        cp.anchor = anchor;
        cp.layer = layer;
        obj.points.push_back(cp);
        return obj.pointCount() - 1;
    };
    for (const CurveChain& chain : curves) {
        const size_t pieces = chain.PieceCount();
        if (pieces == 0) continue;
        const int32_t start = add(chain.points[0], -1);
        int32_t from = start;
        for (size_t k = 0; k < pieces; ++k) {
            const CurvePoint* p = &chain.points[3 * k];
            const bool wraps = chain.closed && k + 1 == pieces;
            // Each handle belongs to the anchor at its own end of the segment.
            const int32_t h1 = add(p[1], from);
            const int32_t to = wraps ? start : obj.pointCount() + 1;
            const int32_t h2 = add(p[2], to);
            if (!wraps) add(p[3], -1);
            Segment s;
            s.p0 = from;
            s.p1 = h1;
            s.p2 = h2;
            s.p3 = to;
            obj.segments.push_back(s);
            from = to;
        }
    }
    return first;
}

namespace {

// The first point layer shown, so that the new points can be picked at once.
uint8_t FirstVisibleLayer(const EditSwitches& sw) {
    for (uint8_t k = 0; k < 6; ++k)
        if (sw.layerVisible[k]) return k;
    return 0;
}

// The anchors of `obj` from point `first` on, in index order.
std::vector<int32_t> AnchorsFrom(const PatchObject& obj, int32_t first) {
    std::vector<int32_t> anchors;
    for (int32_t i = first; i < obj.pointCount(); ++i)
        if (obj.points[i].anchor < 0) anchors.push_back(i);
    return anchors;
}

// The new anchors become the selection, the last one the active point.
void SelectAnchors(Document& doc, std::vector<int32_t>& anchors) {
    ClearPointSelection(doc);
    doc.selectedAnchors.swap(anchors);
    if (!doc.selectedAnchors.empty()) doc.activePoint = doc.selectedAnchors.back();
}

}  // namespace

void PutCurvesInCurrentObject(Document& doc, const EditSwitches& sw, const CurveSet& curves) {
    PatchObject* obj = doc.Current();
    if (obj == nullptr) return;
    const int32_t first = AppendCurvesToObject(*obj, curves, FirstVisibleLayer(sw));
    std::vector<int32_t> anchors = AnchorsFrom(*obj, first);
    SelectAnchors(doc, anchors);
    RebuildControlCaches(doc);
    DocumentChanged(doc, sw);
}

void AddCurvesObject(Document& doc, const EditSwitches& sw, const CurveSet& curves) {
    // Everything that allocates happens before the document changes, so running out of
    // memory leaves it as it was rather than with an empty or half-filled object.
    PatchObject filled;
    AppendCurvesToObject(filled, curves, FirstVisibleLayer(sw));
    RebuildObjectCaches(filled);
    std::vector<int32_t> anchors = AnchorsFrom(filled, 0);
    doc.objects.reserve(doc.objects.size() + 1);
    CreateObject(doc);
    PatchObject& obj = doc.objects.back();
    // The new object keeps its own name and colour; the curves move in.
    filled.name.swap(obj.name);
    filled.color = obj.color;
    obj = std::move(filled);
    SelectAnchors(doc, anchors);
    DocumentChanged(doc, sw);
}

bool ParseImportSize(const std::string& text, double* size) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || !(value > 0.0)) return false;
    *size = value;
    return true;
}

}  // namespace zarni
