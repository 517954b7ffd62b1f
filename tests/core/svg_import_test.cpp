// SVG import: each path rule, shape and transform against points worked out here by hand, the
// placement on the front plane, the object the curves become, and drawings that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "formats/curve_import.h"
#include "formats/svg_import.h"
#include "model/invariants.h"

namespace zarni {
namespace {

struct P {
    double x, y;
};

std::string Svg(const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\">" + body + "</svg>";
}

CurveSet Read(const std::string& svg, SvgImportNote* note = nullptr) {
    CurveSet curves;
    std::string why;
    EXPECT_TRUE(ReadSvgCurves(svg, curves, note, &why)) << why << "\n" << svg;
    return curves;
}

// A point of piece k of a chain, by the cubic Bezier formula.
P At(const CurveChain& c, size_t k, double t) {
    const CurvePoint* p = &c.points[3 * k];
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, d = 3 * u * t * t, e = t * t * t;
    return {a * p[0].x + b * p[1].x + d * p[2].x + e * p[3].x,
            a * p[0].y + b * p[1].y + d * p[2].y + e * p[3].y};
}

// Every sampled point of every piece.
std::vector<P> Samples(const CurveChain& c, int perPiece = 64) {
    std::vector<P> out;
    for (size_t k = 0; k < c.PieceCount(); ++k)
        for (int i = 0; i <= perPiece; ++i)
            out.push_back(At(c, k, static_cast<double>(i) / perPiece));
    return out;
}

std::vector<P> Anchors(const CurveChain& c) {
    std::vector<P> out;
    for (size_t i = 0; i < c.points.size(); i += 3)
        out.push_back({c.points[i].x, c.points[i].y});
    return out;
}

void ExpectNear(P got, P want, const std::string& what, double tol = 1e-9) {
    EXPECT_NEAR(got.x, want.x, tol) << what;
    EXPECT_NEAR(got.y, want.y, tol) << what;
}

void ExpectAnchors(const CurveChain& c, const std::vector<P>& want, const std::string& what) {
    const std::vector<P> got = Anchors(c);
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i)
        ExpectNear(got[i], want[i], what + ", anchor " + std::to_string(i));
}

// Straight pieces keep their handles at a third and two thirds of the way.
void ExpectStraight(const CurveChain& c, const std::string& what) {
    for (size_t k = 0; k < c.PieceCount(); ++k) {
        const CurvePoint* p = &c.points[3 * k];
        ExpectNear({p[1].x, p[1].y},
                   {p[0].x + (p[3].x - p[0].x) / 3, p[0].y + (p[3].y - p[0].y) / 3},
                   what + " first handle");
        ExpectNear({p[2].x, p[2].y},
                   {p[0].x + 2 * (p[3].x - p[0].x) / 3, p[0].y + 2 * (p[3].y - p[0].y) / 3},
                   what + " second handle");
    }
}

// The path grammar: relative commands, implicit repeats, H and V, one closed and one open.
TEST(SvgImport, PathCommandsGiveTheirAnchors) {
    struct Case {
        const char* d;
        std::vector<P> anchors;
        bool closed;
    };
    const Case cases[] = {
        {"M10 10 l10 0 0 10 -10 0 z", {{10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}}, true},
        {"M0 0 10 0 10 10", {{0, 0}, {10, 0}, {10, 10}}, false},
        {"m5 5 10 0 0 3", {{5, 5}, {15, 5}, {15, 8}}, false},
        {"M0 0 H10 V5 h-4 v-2", {{0, 0}, {10, 0}, {10, 5}, {6, 5}, {6, 3}}, false},
        {"M1,2L3,4,5,6", {{1, 2}, {3, 4}, {5, 6}}, false},
        {"M0 0 L10 0 L10 10 L0 0 Z", {{0, 0}, {10, 0}, {10, 10}, {0, 0}}, true},
        {"M0 0 L0 0 L4 0 L4 0", {{0, 0}, {4, 0}}, false},  // zero-length lines draw nothing
        {"M-1e1 .5L-.5e1-1.5", {{-10, 0.5}, {-5, -1.5}}, false},
    };
    for (const Case& c : cases) {
        const CurveSet curves = Read(Svg(std::string("<path d=\"") + c.d + "\"/>"));
        ASSERT_EQ(curves.size(), 1u) << c.d;
        ExpectAnchors(curves[0], c.anchors, c.d);
        EXPECT_EQ(curves[0].closed, c.closed) << c.d;
        ExpectStraight(curves[0], c.d);
        if (c.closed) {
            EXPECT_EQ(curves[0].points.back().x, curves[0].points.front().x) << c.d;
            EXPECT_EQ(curves[0].points.back().y, curves[0].points.front().y) << c.d;
        }
    }
}

TEST(SvgImport, SmoothCubicsAndQuadraticsFollowTheirRules) {
    // S reflects the previous second control point about the present point.
    CurveSet c = Read(Svg("<path d=\"M0 0 C0 10 10 10 10 0 S20 -10 20 0\"/>"));
    ASSERT_EQ(c.size(), 1u);
    ASSERT_EQ(c[0].PieceCount(), 2u);
    ExpectNear({c[0].points[4].x, c[0].points[4].y}, {10, -10}, "reflected handle");
    ExpectNear({c[0].points[5].x, c[0].points[5].y}, {20, -10}, "given handle");
    // Relative s after relative c.
    c = Read(Svg("<path d=\"m0 0 c0 10 10 10 10 0 s10 -10 10 0\"/>"));
    ExpectNear({c[0].points[4].x, c[0].points[4].y}, {10, -10}, "relative reflected handle");

    // Q and T: the cubic draws the very parabola (checked along it), T reflecting its control.
    struct Quad {
        P from, control, to;
    };
    c = Read(Svg("<path d=\"M0 0 Q5 10 10 0 T20 0 t10 0\"/>"));
    ASSERT_EQ(c[0].PieceCount(), 3u);
    const Quad quads[] = {
        {{0, 0}, {5, 10}, {10, 0}}, {{10, 0}, {15, -10}, {20, 0}}, {{20, 0}, {25, 10}, {30, 0}}};
    for (size_t k = 0; k < 3; ++k) {
        for (double t = 0; t <= 1.0; t += 0.125) {
            const Quad& q = quads[k];
            const double u = 1 - t;
            const P want{u * u * q.from.x + 2 * u * t * q.control.x + t * t * q.to.x,
                         u * u * q.from.y + 2 * u * t * q.control.y + t * t * q.to.y};
            ExpectNear(At(c[0], k, t), want, "quadratic " + std::to_string(k), 1e-9);
        }
    }
}

// The four flag combinations of one arc, and radii too small for the ends: every sample lies
// on the circle the SVG rules choose, within 0.1 % of the radius, on the expected side.
TEST(SvgImport, ArcFlagsPickTheirCircleAndSide) {
    struct Case {
        const char* d;
        P centre;
        double r;
        double farY;  // the sample farthest from the chord lies at this y
    };
    const double h = std::sqrt(75.0);  // centre height for a chord of 10 and radius 10
    const Case cases[] = {
        {"M0 0 A10 10 0 0 0 10 0", {5, -h}, 10, 10 - h},
        {"M0 0 A10 10 0 0 1 10 0", {5, h}, 10, -(10 - h)},
        {"M0 0 A10 10 0 1 0 10 0", {5, h}, 10, 10 + h},
        {"M0 0 A10 10 0 1 1 10 0", {5, -h}, 10, -(10 + h)},
        {"M0 0 a10 10 0 1 1 10 0", {5, -h}, 10, -(10 + h)},
        {"M0 0 A1 1 0 0 1 10 0", {5, 0}, 5, -5},  // radius grown to half the chord
    };
    for (const Case& c : cases) {
        const CurveSet curves = Read(Svg(std::string("<path d=\"") + c.d + "\"/>"));
        ASSERT_EQ(curves.size(), 1u) << c.d;
        const CurveChain& chain = curves[0];
        ExpectNear(Anchors(chain).front(), {0, 0}, c.d);
        ExpectNear(Anchors(chain).back(), {10, 0}, c.d);
        double farY = 0;
        for (const P& p : Samples(chain)) {
            EXPECT_NEAR(std::hypot(p.x - c.centre.x, p.y - c.centre.y), c.r, 1e-3 * c.r) << c.d;
            if (std::fabs(p.y) > std::fabs(farY)) farY = p.y;
        }
        EXPECT_NEAR(farY, c.farY, 1e-3 * c.r) << c.d;
    }
    // A zero radius is a straight line; an arc to its own start draws nothing.
    CurveSet line = Read(Svg("<path d=\"M0 0 A0 5 0 0 1 10 0\"/>"));
    ASSERT_EQ(line[0].PieceCount(), 1u);
    ExpectStraight(line[0], "zero radius");
    std::string why;
    CurveSet none;
    EXPECT_FALSE(ReadSvgCurves(Svg("<path d=\"M3 3 A5 5 0 1 1 3 3\"/>"), none, nullptr, &why));
}

TEST(SvgImport, TurnedEllipticalArcStaysOnItsEllipse) {
    // Two half turns of an ellipse (radii 10 and 4) turned by 30 degrees about the origin.
    const double a = 30 * M_PI / 180;
    const P end{10 * std::cos(a), 10 * std::sin(a)};
    const std::string d = "M" + std::to_string(end.x) + " " + std::to_string(end.y) +
                          " A10 4 30 0 1 " + std::to_string(-end.x) + " " + std::to_string(-end.y) +
                          " A10 4 30 0 1 " + std::to_string(end.x) + " " + std::to_string(end.y) +
                          "Z";
    const CurveSet c = Read(Svg("<path d=\"" + d + "\"/>"));
    ASSERT_EQ(c.size(), 1u);
    EXPECT_TRUE(c[0].closed);
    EXPECT_EQ(c[0].PieceCount(), 4u);
    for (const P& p : Samples(c[0])) {
        const double u = p.x * std::cos(a) + p.y * std::sin(a);
        const double v = -p.x * std::sin(a) + p.y * std::cos(a);
        // The distance from the ellipse, measured along the ray from the centre.
        const double scale = std::sqrt(u * u / 100 + v * v / 16);
        EXPECT_NEAR(scale, 1.0, 1e-3) << p.x << " " << p.y;
    }
}

// Each transform form, alone, combined and nested, checked on the path's two ends.
TEST(SvgImport, TransformsMapTheAnchors) {
    struct Case {
        std::string svgBody;
        P first, second;
    };
    const std::string path = "<path d=\"M1 1 L0 0\"/>";
    auto g = [](const std::string& t, const std::string& inner) {
        return "<g transform=\"" + t + "\">" + inner + "</g>";
    };
    const Case cases[] = {
        {g("matrix(1 2 3 4 5 6)", path), {9, 12}, {5, 6}},
        {g("translate(5)", path), {6, 1}, {5, 0}},
        {g("translate(5,-2)", path), {6, -1}, {5, -2}},
        {g("scale(2 3)", path), {2, 3}, {0, 0}},
        {g("scale(-2)", path), {-2, -2}, {0, 0}},
        {g("rotate(90)", path), {-1, 1}, {0, 0}},
        {g("rotate(180 5 5)", path), {9, 9}, {10, 10}},
        {g("skewX(45)", path), {2, 1}, {0, 0}},
        {g("skewY(45)", path), {1, 2}, {0, 0}},
        // Listed transforms apply right to left: scale first, then translate.
        {g("translate(10 0) scale(2)", path), {12, 2}, {10, 0}},
        {g("scale(2) translate(10 0)", path), {22, 2}, {20, 0}},
        // Nested groups: the innermost applies first.
        {g("translate(100 0)", g("scale(2)", g("rotate(90)", path))), {98, 2}, {100, 0}},
        // The element's own transform, written after its data.
        {"<path d=\"M1 1 L0 0\" transform=\"translate(3 4)\"/>", {4, 5}, {3, 4}},
        {g("translate(1 1)", "<path transform=\"scale(2)\" d=\"M1 1 L0 0\"/>"), {3, 3}, {1, 1}},
        // A nested viewport: its position, then its view box scaled to its size.
        {"<svg x=\"10\" y=\"20\" width=\"100\" height=\"100\" viewBox=\"0 0 10 10\">" + path +
             "</svg>",
         {20, 30},
         {10, 20}},
        {"<a>" + g("translate(0 7)", path) + "</a>", {1, 8}, {0, 7}},
    };
    for (const Case& c : cases) {
        const CurveSet curves = Read(Svg(c.svgBody));
        ASSERT_EQ(curves.size(), 1u) << c.svgBody;
        const std::vector<P> anchors = Anchors(curves[0]);
        ASSERT_EQ(anchors.size(), 2u) << c.svgBody;
        ExpectNear(anchors[0], c.first, c.svgBody, 1e-9);
        ExpectNear(anchors[1], c.second, c.svgBody, 1e-9);
        ExpectStraight(curves[0], c.svgBody);
    }
}

TEST(SvgImport, BasicShapesBecomeTheirOutlines) {
    // Polygons, polylines, lines and plain rectangles: anchors and straight pieces.
    struct Straight {
        const char* element;
        std::vector<P> anchors;
        bool closed;
    };
    const Straight straight[] = {
        {"<rect x=\"1\" y=\"2\" width=\"10\" height=\"5\"/>",
         {{1, 2}, {11, 2}, {11, 7}, {1, 7}, {1, 2}},
         true},
        {"<rect width=\"3\" height=\"4\"/>", {{0, 0}, {3, 0}, {3, 4}, {0, 4}, {0, 0}}, true},
        {"<line x1=\"1\" y1=\"2\" x2=\"3\" y2=\"4\"/>", {{1, 2}, {3, 4}}, false},
        {"<polyline points=\"0,0 1,0 1,1\"/>", {{0, 0}, {1, 0}, {1, 1}}, false},
        {"<polygon points=\"0 0 1 0 1 1\"/>", {{0, 0}, {1, 0}, {1, 1}, {0, 0}}, true},
    };
    for (const Straight& s : straight) {
        const CurveSet c = Read(Svg(s.element));
        ASSERT_EQ(c.size(), 1u) << s.element;
        ExpectAnchors(c[0], s.anchors, s.element);
        EXPECT_EQ(c[0].closed, s.closed) << s.element;
        ExpectStraight(c[0], s.element);
    }

    // Circles and ellipses: closed, every sample on the outline within 0.1 % of the radius,
    // reaching its four extremes.
    struct Round {
        const char* element;
        P centre;
        double rx, ry;
    };
    const Round rounds[] = {
        {"<circle cx=\"5\" cy=\"5\" r=\"3\"/>", {5, 5}, 3, 3},
        {"<circle r=\"1\"/>", {0, 0}, 1, 1},
        {"<ellipse cx=\"-2\" cy=\"1\" rx=\"4\" ry=\"2\"/>", {-2, 1}, 4, 2},
    };
    for (const Round& r : rounds) {
        const CurveSet c = Read(Svg(r.element));
        ASSERT_EQ(c.size(), 1u) << r.element;
        EXPECT_TRUE(c[0].closed) << r.element;
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (const P& p : Samples(c[0])) {
            const double u = (p.x - r.centre.x) / r.rx, v = (p.y - r.centre.y) / r.ry;
            EXPECT_NEAR(std::sqrt(u * u + v * v), 1.0, 1e-3) << r.element;
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        EXPECT_NEAR(maxX - minX, 2 * r.rx, 1e-3 * r.rx) << r.element;
        EXPECT_NEAR(maxY - minY, 2 * r.ry, 1e-3 * r.ry) << r.element;
    }

    // Rounded rectangles: straight sides between quarter ellipses; rx alone sets ry too, and
    // radii beyond half the side are cut to it (the straight piece between then vanishes).
    struct Rounded {
        const char* element;
        double x, y, w, h, rx, ry;
        size_t pieces;
    };
    const Rounded roundedRects[] = {
        {"<rect x=\"1\" y=\"2\" width=\"10\" height=\"6\" rx=\"2\"/>", 1, 2, 10, 6, 2, 2, 8},
        {"<rect width=\"10\" height=\"6\" ry=\"1\"/>", 0, 0, 10, 6, 1, 1, 8},
        {"<rect width=\"10\" height=\"6\" rx=\"3\" ry=\"1\"/>", 0, 0, 10, 6, 3, 1, 8},
        {"<rect width=\"10\" height=\"4\" rx=\"2\" ry=\"9\"/>", 0, 0, 10, 4, 2, 2, 6},
    };
    for (const Rounded& r : roundedRects) {
        const CurveSet c = Read(Svg(r.element));
        ASSERT_EQ(c.size(), 1u) << r.element;
        EXPECT_TRUE(c[0].closed) << r.element;
        EXPECT_EQ(c[0].PieceCount(), r.pieces) << r.element;
        for (const P& p : Samples(c[0])) {
            // Inside a corner square the point lies on that corner's ellipse; elsewhere on a side.
            const double cx = std::clamp(p.x, r.x + r.rx, r.x + r.w - r.rx);
            const double cy = std::clamp(p.y, r.y + r.ry, r.y + r.h - r.ry);
            if (cx != p.x && cy != p.y) {
                const double u = (p.x - cx) / r.rx, v = (p.y - cy) / r.ry;
                EXPECT_NEAR(std::sqrt(u * u + v * v), 1.0, 1e-3) << r.element;
            } else {
                const bool onSide =
                    std::fabs(p.x - r.x) < 1e-9 || std::fabs(p.x - r.x - r.w) < 1e-9 ||
                    std::fabs(p.y - r.y) < 1e-9 || std::fabs(p.y - r.y - r.h) < 1e-9;
                EXPECT_TRUE(onSide) << r.element << " " << p.x << "," << p.y;
            }
        }
    }
}

TEST(SvgImport, SubpathsWithAndWithoutCloseAreSeparateChains) {
    const CurveSet c =
        Read(Svg("<path d=\"M0 0 L1 0 L1 1 Z M5 5 L6 5 M10 10 L11 10 L11 11 z l1 1\"/>"
                 "<path d=\"M10 10 L12 10 L12 12 z m1 1 l1 0\"/>"));
    ASSERT_EQ(c.size(), 6u);
    const bool closed[] = {true, false, true, false, true, false};
    const size_t pieces[] = {3, 1, 3, 1, 3, 1};
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].closed, closed[i]) << i;
        EXPECT_EQ(c[i].PieceCount(), pieces[i]) << i;
    }
    // A command right after a close starts from the closed subpath's start; a move after a
    // close is relative to that start too.
    ExpectAnchors(c[3], {{10, 10}, {11, 11}}, "after z");
    ExpectAnchors(c[5], {{11, 11}, {12, 11}}, "m after z");
}

TEST(SvgImport, ElementsThatDrawNothingAreLeftOutAndCounted) {
    SvgImportNote note;
    const CurveSet c = Read(
        Svg("<title>t</title><desc>d</desc><defs><linearGradient id=\"a\"/><path d=\"M0 0 L9 9\"/>"
            "</defs><text>x</text><image width=\"1\" height=\"1\"/><clipPath><rect width=\"1\" "
            "height=\"1\"/></clipPath><g display=\"none\"><path d=\"M0 0 L5 5\"/></g>"
            "<g style=\"fill:red; display: none\"><path d=\"M0 0 L5 5\"/></g>"
            "<path d=\"M0 0 L1 0\" data-name=\"x\" style=\"bogus: 1\"/><rect width=\"4\"/>"
            "<foreign xmlns=\"urn:other\"><path d=\"M0 0 L5 5\"/></foreign>"),
        &note);
    ASSERT_EQ(c.size(), 1u);
    ExpectAnchors(c[0], {{0, 0}, {1, 0}}, "the one drawn path");
    EXPECT_EQ(note.leftOut["linearGradient"], 1);
    EXPECT_EQ(note.leftOut["path"], 1);  // the one in defs
    EXPECT_EQ(note.leftOut["text"], 1);
    EXPECT_EQ(note.leftOut["image"], 1);
    EXPECT_EQ(note.leftOut["clipPath"], 1);
    EXPECT_EQ(note.leftOut["rect"], 1);  // without its height
    EXPECT_EQ(note.LeftOutCount(), 6);
    EXPECT_NE(note.Text().find("6 elements"), std::string::npos) << note.Text();
}

// Drawing programs name the namespace and repeat data through entities declared in the file;
// entities from outside it are never read, and entities that multiply without end refuse it.
TEST(SvgImport, EntitiesOfTheDrawingOnly) {
    const std::string declared =
        "<!DOCTYPE svg [<!ENTITY ns \"http://www.w3.org/2000/svg\"><!ENTITY d \"M0 0 L3 4\">"
        "<!ENTITY outside SYSTEM \"file:///etc/hostname\">]>"
        "<svg xmlns=\"&ns;\"><path d=\"&d;\"/><text>&outside;</text></svg>";
    const CurveSet c = Read(declared);
    ASSERT_EQ(c.size(), 1u);
    ExpectAnchors(c[0], {{0, 0}, {3, 4}}, "path data from an entity");

    std::string bomb = "<!DOCTYPE svg [<!ENTITY a0 \"aaaaaaaaaaaaaaaa\">";
    for (int i = 1; i < 12; ++i) {
        const std::string prev = "&a" + std::to_string(i - 1) + ";";
        std::string value;
        for (int k = 0; k < 16; ++k)
            value += prev;
        bomb += "<!ENTITY a" + std::to_string(i) + " \"" + value + "\">";
    }
    bomb +=
        "]><svg xmlns=\"http://www.w3.org/2000/svg\"><path id=\"&a11;\" d=\"M0 0 L1 1\"/></svg>";
    CurveSet curves;
    std::string why;
    EXPECT_FALSE(ReadSvgCurves(bomb, curves, nullptr, &why));
    EXPECT_TRUE(curves.empty());
}

TEST(SvgImport, BadDrawingsAreRefusedWhole) {
    struct Case {
        std::string bytes;
        const char* reason;  // a piece of the message
    };
    const Case cases[] = {
        {Svg("<path d=\"M0 0 L1 1\"/><g><path d=\"M0 0 L2 2\"/>"), "not well-formed"},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0 L1 1\"/></svg><x/>",
         "not well-formed"},
        {"<svg><path d=\"M0 0 L1 1\"/><path d=\"M0 0 L1 1\" d=\"M1 1\"/></svg>", "not well-formed"},
        {"", "not well-formed"},
        {"<html><path d=\"M0 0 L1 1\"/></html>", "not an SVG"},
        {Svg("<text>only words</text>"), "no path or shape"},
        {Svg(""), "no path or shape"},
        {Svg("<path d=\"M5 5\"/><circle r=\"0\"/>"), "no path or shape"},
        {Svg("<path d=\"M0 0 L1 1\"/><path d=\"M0 0 L1 x\"/>"), "Invalid value"},
        {Svg("<path d=\"L1 1\"/>"), "Invalid value"},
        {Svg("<path d=\"M0 0 A1 1 0 2 1 5 5\"/>"), "Invalid value"},
        {Svg("<path d=\"M0 0 A-1 1 0 0 1 5 5\"/>"), "Invalid value"},  // radii are not negative
        {Svg("<polygon points=\"0 0 1\"/>"), "Invalid value"},
        {Svg("<g transform=\"rotate(\"><path d=\"M0 0 L1 1\"/></g>"), "Invalid value"},
        {Svg("<circle r=\"-2\"/>"), "Negative"},
        {Svg("<path d=\"M0 0 L1e308 0 L-1e308 0\" transform=\"scale(1e10)\"/>"), "not a number"},
    };
    for (const Case& c : cases) {
        CurveSet curves(1);  // what the caller had stays as it was
        curves[0].points.push_back({7, 7});
        std::string why;
        EXPECT_FALSE(ReadSvgCurves(c.bytes, curves, nullptr, &why) &&
                     PlaceCurves(curves, 2.0, true, &why))
            << c.bytes;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.bytes << ": " << why;
        if (curves.size() == 1 && curves[0].points.size() == 1) continue;
        // Read but not placeable: only the placement may refuse it.
        EXPECT_NE(std::string(c.reason), "not well-formed") << c.bytes;
    }
}

// Placement: y up, the curves' own box (not their handles') centred and scaled to the size.
TEST(SvgImport, PlacementCentresAndScalesTheCurvesNotTheirHandles) {
    CurveSet c = Read(Svg("<path d=\"M0 0 C0 -30 10 -30 10 0\"/>"));  // top of the curve: -22.5
    std::string why;
    ASSERT_TRUE(PlaceCurves(c, 3.0, true, &why)) << why;
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const P& p : Samples(c[0], 2000)) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(maxY - minY, 3.0, 1e-6);
    EXPECT_NEAR(minY + maxY, 0.0, 1e-6);
    EXPECT_NEAR(maxX - minX, 3.0 * 10 / 22.5, 1e-6);
    EXPECT_NEAR(minX + maxX, 0.0, 1e-6);
    // The drawing's top (SVG y = -22.5) is now up: the ends (y = 0 in SVG) are at the bottom.
    EXPECT_NEAR(c[0].points.front().y, -1.5, 1e-9);
    EXPECT_NEAR(c[0].points.front().x, -1.5 * 10 / 22.5, 1e-9);

    // A wide drawing spans the size across.
    CurveSet wide = Read(Svg("<rect x=\"100\" y=\"50\" width=\"40\" height=\"10\"/>"));
    ASSERT_TRUE(PlaceCurves(wide, 2.0, true, &why));
    ExpectAnchors(wide[0], {{-1, 0.25}, {1, 0.25}, {1, -0.25}, {-1, -0.25}, {-1, 0.25}}, "wide");
    // Curves without extent cannot be scaled.
    CurveSet flat(1);
    flat[0].points = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    EXPECT_FALSE(PlaceCurves(flat, 2.0, true, &why));
    CurveSet none;
    EXPECT_FALSE(PlaceCurves(none, 2.0, true, &why));
}

// The object: a closed chain ends on its first anchor, handles belong to the anchor at their
// end, every point on the front plane, all anchors selected.
TEST(SvgImport, CurvesBecomeOneSelectedObject) {
    CurveSet c = Read(Svg("<rect width=\"2\" height=\"1\"/><path d=\"M0 0 Q1 1 2 0\"/>"));
    std::string why;
    ASSERT_TRUE(PlaceCurves(c, 2.0, true, &why));
    Document doc = NewDocument();
    EditSwitches sw;
    sw.layerVisible[0] = 0;  // new points go to the first layer shown
    AddCurvesObject(doc, sw, c);
    ASSERT_EQ(doc.objectCount(), 2);
    EXPECT_EQ(doc.currentObject, 1);
    EXPECT_TRUE(doc.modified);
    ASSERT_TRUE(DocumentInvariantsHold(doc, &why)) << why;
    const PatchObject& obj = doc.objects[1];
    ASSERT_EQ(obj.segmentCount(), 5);
    // 4 anchors and 8 handles for the closed rectangle, 2 + 2 for the open curve.
    ASSERT_EQ(obj.pointCount(), 16);
    EXPECT_EQ(obj.segments[3].p3, obj.segments[0].p0);
    EXPECT_NE(obj.segments[4].p3, obj.segments[4].p0);
    for (int s = 1; s < 4; ++s) {
        EXPECT_EQ(obj.segments[s].p0, obj.segments[s - 1].p3);
    }
    for (const Segment& s : obj.segments) {
        EXPECT_LT(obj.points[s.p0].anchor, 0);
        EXPECT_LT(obj.points[s.p3].anchor, 0);
        EXPECT_EQ(obj.points[s.p1].anchor, s.p0);
        EXPECT_EQ(obj.points[s.p2].anchor, s.p3);
    }
    std::vector<int32_t> anchors;
    for (int32_t i = 0; i < obj.pointCount(); ++i) {
        EXPECT_EQ(obj.points[i].z, 0.0f);
        EXPECT_EQ(obj.points[i].layer, 1);
        if (obj.points[i].anchor < 0) anchors.push_back(i);
    }
    EXPECT_EQ(doc.selectedAnchors, anchors);
    EXPECT_EQ(doc.activePoint, anchors.back());
    EXPECT_EQ(obj.segmentCache.size(), 5u * 12u);
}

TEST(SvgImport, SizesAndFileNames) {
    double size = 0;
    for (const char* good : {"2", "0.5", "1e3", "7.25"})
        EXPECT_TRUE(ParseImportSize(good, &size)) << good;
    EXPECT_DOUBLE_EQ(size, 7.25);
    for (const char* bad : {"", "0", "-1", "abc", "2x", "inf", "nan", "1e999"})
        EXPECT_FALSE(ParseImportSize(bad, &size)) << bad;
    EXPECT_TRUE(IsSvgFileName("/a/b.svg"));
    EXPECT_TRUE(IsSvgFileName("B.SVG"));
    EXPECT_FALSE(IsSvgFileName("b.svgz"));
    EXPECT_FALSE(IsSvgFileName("b.zarni"));
}

}  // namespace
}  // namespace zarni
