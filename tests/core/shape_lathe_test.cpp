// The lathe: step geometry, partial and full lathes, the seam weld against the literal one.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/invariants.h"
#include "ops/lathe.h"
#include "ops/primitives.h"
#include "tests/core/shape_fixtures.h"

namespace zarni {
namespace {

using shapefix::AddPoint;
using shapefix::AddSegment;
using shapefix::FirstDifference;

void ExpectValid(const Document& doc) {
    std::string why;
    EXPECT_TRUE(DocumentInvariantsHold(doc, &why)) << why;
}

LatheSettings Settings(uint8_t axis, uint8_t div, uint8_t type = kLatheClose, uint8_t parts = 1) {
    LatheSettings s;
    s.axis = axis;
    s.divLevel = div;
    s.type = type;
    s.partsCount = parts;
    return s;
}

// One straight curve from (1, 0, 0) to (2, 0, 0), both ends selected.
Document OneCurve() {
    Document doc = NewDocument();
    PatchObject& obj = *doc.Current();
    const int32_t a = AddPoint(obj, 1, 0, 0);
    const int32_t b = AddPoint(obj, 2, 0, 0);
    shapefix::AddStraight(obj, a, b);
    doc.selectedAnchors = {a, b};
    RebuildControlCaches(doc);
    return doc;
}

float Distance(const ControlPoint& p, float x, float y, float z) {
    return std::sqrt((p.x - x) * (p.x - x) + (p.y - y) * (p.y - y) + (p.z - z) * (p.z - z));
}

TEST(LatheStep, TurnsTheCurveAndBuildsOnePatchWithArcSides) {
    for (uint8_t div : {3, 4, 12, 18}) {
        Document doc = OneCurve();
        LatheStep(doc, Settings(2, div));
        RebuildControlCaches(doc);
        ExpectValid(doc);
        const PatchObject& obj = *doc.Current();
        // 4 copies, 2 side curves of 2 handles, 4 interior points.
        ASSERT_EQ(obj.pointCount(), 4 + 4 + 4 + 4);
        ASSERT_EQ(obj.segmentCount(), 1 + 1 + 2);
        ASSERT_EQ(obj.patchCount(), 1);
        const double angle = 2.0 * 3.14159265358979 / div;
        const Patch& q = obj.patches[0];
        const std::array<int32_t, 16> net = PatchNet(obj.segments, q);
        // Row 3 is row 0 turned by -360/div degrees about Y.
        for (int c = 0; c < 4; ++c) {
            const ControlPoint& from = obj.points[net[c]];
            const ControlPoint& to = obj.points[net[12 + c]];
            EXPECT_LT(Distance(to, static_cast<float>(std::cos(angle) * from.x), from.y,
                               static_cast<float>(std::sin(angle) * from.x)),
                      1e-6f);
        }
        // The side handles lie on the tangents at the arc ends, factor x radius away.
        const float k = ArcHandleFactor[div];
        const ControlPoint& start = obj.points[net[0]];
        EXPECT_LT(Distance(obj.points[net[4]], start.x, 0, k * start.x), 1e-6f);
        const ControlPoint& end = obj.points[net[15]];
        const ControlPoint& h = obj.points[net[11]];
        EXPECT_NEAR(Distance(h, end.x, end.y, end.z), k * 2.0f, 1e-6f);
        // Interior points belong to the nearest corner.
        EXPECT_EQ(obj.points[q.inner11].anchor, net[0]);
        EXPECT_EQ(obj.points[q.inner12].anchor, net[3]);
        EXPECT_EQ(obj.points[q.inner21].anchor, net[12]);
        EXPECT_EQ(obj.points[q.inner22].anchor, net[15]);
        // Handles of the copy belong to the copied anchors.
        EXPECT_EQ(obj.points[net[13]].anchor, net[12]);
        EXPECT_EQ(obj.points[net[14]].anchor, net[15]);
        // A step leaves the selection to its caller.
        EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1}));
    }
}

TEST(LatheStep, SharedEndsShareCopiesAndSideCurves) {
    Document doc = NewDocument();
    shapefix::AddOpenProfile(doc, 3);
    LatheStep(doc, Settings(2, 6));
    RebuildControlCaches(doc);
    ExpectValid(doc);
    const PatchObject& obj = *doc.Current();
    // 10 profile points; 10 copies, 4 side curves of 2 handles, 3 x 4 interior points.
    EXPECT_EQ(obj.pointCount(), 10 + 10 + 8 + 12);
    EXPECT_EQ(obj.segmentCount(), 3 + 3 + 4);
    ASSERT_EQ(obj.patchCount(), 3);
    for (int i = 0; i + 1 < 3; ++i) {
        EXPECT_EQ(obj.patches[i].edge3, obj.patches[i + 1].edge2);
    }
}

TEST(LatheStep, PointsOnTheAxisCollapseTheirSideCurve) {
    for (uint8_t axis : {1, 2, 3}) {
        Document doc = NewDocument();
        PatchObject& obj = *doc.Current();
        const float on[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const int32_t a = AddPoint(obj, on[axis - 1][0], on[axis - 1][1], on[axis - 1][2]);
        const int32_t b = AddPoint(obj, 0.5f, 0.5f, 0.5f);
        shapefix::AddStraight(obj, a, b);
        doc.selectedAnchors = {a, b};
        LatheStep(doc, Settings(axis, 8));
        RebuildControlCaches(doc);
        ExpectValid(doc);
        const Segment& side = obj.segments[obj.patches[0].edge2];
        for (int32_t p : {side.p0, side.p1, side.p2, side.p3}) {
            EXPECT_EQ(Distance(obj.points[p], on[axis - 1][0], on[axis - 1][1], on[axis - 1][2]),
                      0.0f);
        }
    }
}

TEST(LatheParts, ThreeStepsOfTwelveTurnANinetyDegreeSector) {
    Document doc = OneCurve();
    EditSwitches sw;
    LatheSelection(doc, sw, Settings(2, 12, kLatheParts, 3));
    ExpectValid(doc);
    const PatchObject& obj = *doc.Current();
    EXPECT_EQ(obj.pointCount(), 4 + 3 * 12);  // nothing welded
    EXPECT_EQ(obj.patchCount(), 3);
    ASSERT_EQ(doc.selectedAnchors.size(), 2u);
    EXPECT_LT(Distance(obj.points[doc.selectedAnchors[0]], 0, 0, 1), 1e-6f);
    EXPECT_LT(Distance(obj.points[doc.selectedAnchors[1]], 0, 0, 2), 1e-6f);
    EXPECT_EQ(doc.activePoint, doc.selectedAnchors[1]);
    EXPECT_TRUE(doc.modified);
}

TEST(LatheFull, ClosesTheRevolutionOntoTheProfile) {
    Document doc = OneCurve();
    EditSwitches sw;
    LatheSelection(doc, sw, Settings(2, 4));
    ExpectValid(doc);
    const PatchObject& obj = *doc.Current();
    // 4 steps of 12 points, the last ring's 4 points welded onto the profile.
    EXPECT_EQ(obj.pointCount(), 4 + 4 * 12 - 4);
    EXPECT_EQ(obj.patchCount(), 4);
    // The last copy folded into the profile curve: the last patch ends where the first starts.
    EXPECT_EQ(obj.segmentCount(), 1 + 3 + 4 * 2);
    EXPECT_EQ(obj.patches[3].edge1, obj.patches[0].edge0);
    // The last anchor merged into is the selection and the active point.
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{1}));
    EXPECT_EQ(doc.activePoint, 1);
}

TEST(LatheSelection, DoesNothingUsefulWithoutACurveAndNothingWithABadAxis) {
    EditSwitches sw;
    {
        Document doc = OneCurve();
        doc.selectedAnchors = {0};
        LatheSelection(doc, sw, Settings(2, 4));
        EXPECT_EQ(doc.Current()->pointCount(), 4);
        EXPECT_TRUE(doc.selectedAnchors.empty());
        ExpectValid(doc);
    }
    for (uint8_t axis : {0, 4, 255}) {
        for (uint8_t type : {kLatheClose, kLatheParts}) {
            Document doc = OneCurve();
            LatheSelection(doc, sw, Settings(axis, 4, type, 2));
            EXPECT_EQ(doc.Current()->pointCount(), 4);
            EXPECT_EQ(doc.Current()->patchCount(), 0);
            EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1}));
            ExpectValid(doc);
        }
    }
    {
        Document doc = OneCurve();
        doc.selectedAnchors.clear();
        LatheSelection(doc, sw, Settings(2, 4));
        EXPECT_FALSE(doc.modified);
    }
}

TEST(LatheFull, DivisionLevelsOutsideTheDialogRangeAreBroughtIntoIt) {
    EditSwitches sw;
    for (auto [given, used] : {std::pair<uint8_t, uint8_t>{0, 3}, {2, 3}, {19, 18}, {255, 18}}) {
        Document a = OneCurve();
        Document b = OneCurve();
        LatheFull(a, sw, Settings(2, given));
        LatheFull(b, sw, Settings(2, used));
        EXPECT_EQ(FirstDifference(a, b), "") << int(given);
        ExpectValid(a);
    }
}

// Builds `profile` in a new document, lathes it with both welds and compares the documents.
template <class F>
void ExpectWeldsAgree(F&& profile, const LatheSettings& settings, const char* what) {
    EditSwitches sw;
    sw.pivotMode = 1;
    Document fast = NewDocument();
    profile(fast);
    Document literal = fast;
    LatheFull(fast, sw, settings);
    shapefix::LiteralLatheFull(literal, sw, settings);
    RebuildControlCaches(fast);
    RebuildControlCaches(literal);
    EXPECT_EQ(FirstDifference(fast, literal), "") << what;
    ExpectValid(fast);
    // The comparison means something only when the weld merged points.
    Document unwelded = NewDocument();
    profile(unwelded);
    LatheSettings parts = settings;
    parts.partsCount = static_cast<uint8_t>(LatheDivisions(settings.divLevel));
    LatheParts(unwelded, parts);
    EXPECT_LT(fast.Current()->pointCount(), unwelded.Current()->pointCount()) << what;
    EXPECT_TRUE(fast.modified) << what;
}

TEST(WeldLatheSeam, GivesTheDocumentOfTheLiteralWeld) {
    ExpectWeldsAgree([](Document& d) { shapefix::AddOpenProfile(d, 5); }, Settings(2, 5), "open");
    ExpectWeldsAgree([](Document& d) { shapefix::AddClosedProfile(d, 4); }, Settings(2, 7),
                     "closed");
    ExpectWeldsAgree([](Document& d) { shapefix::AddAxisProfile(d, 3); }, Settings(2, 4),
                     "touching the axis");
    ExpectWeldsAgree([](Document& d) { shapefix::AddAxisProfile(d, 2); }, Settings(2, 18),
                     "touching the axis, 18 steps");
    ExpectWeldsAgree(
        [](Document& d) {
            shapefix::AddClosedProfile(d, 3);
            // Turn the torus profile about X instead: the loop lies in XY around (2, 0, 0).
        },
        Settings(1, 6), "about X");
    ExpectWeldsAgree(
        [](Document& d) {
            EditSwitches sw;
            AddSphere(d, sw);
            // A second half circle on the first sphere: its copies weld into that sphere.
            PatchObject& obj = *d.Current();
            const int32_t base = obj.pointCount();
            const float k = ArcHandleFactor[4];
            AddPoint(obj, 0, 1, 0);
            AddPoint(obj, k, 1, 0, base);
            AddPoint(obj, 1, k, 0, base + 3);
            AddPoint(obj, 1, 0, 0);
            AddSegment(obj, base, base + 1, base + 2, base + 3);
            d.selectedAnchors = {base, base + 3};
            d.selectedHandles = {2, 1};
            RebuildControlCaches(d);
        },
        Settings(2, 4), "onto existing geometry");
    ExpectWeldsAgree(
        [](Document& d) {
            // The edges of patches as the profile, with a curve present three times and a
            // handle selection that the merges renumber.
            PatchObject& obj = *d.Current();
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) {
                    const bool corner = (r == 0 || r == 3) && (c == 0 || c == 3);
                    const int32_t owner = (r < 2 ? 0 : 12) + (c < 2 ? 0 : 3);
                    AddPoint(obj, 1.0f + c * 0.5f, r * 0.5f - 0.75f, 0.0f, corner ? -1 : owner);
                }
            }
            AddSegment(obj, 0, 1, 2, 3);
            AddSegment(obj, 12, 13, 14, 15);
            AddSegment(obj, 0, 4, 8, 12);
            AddSegment(obj, 3, 7, 11, 15);
            AddSegment(obj, 0, 4, 8, 12);
            AddSegment(obj, 0, 4, 8, 12);
            Patch q;
            q.edge0 = 0;
            q.edge1 = 1;
            q.edge2 = 5;
            q.edge3 = 3;
            q.inner11 = 5;
            q.inner12 = 6;
            q.inner21 = 9;
            q.inner22 = 10;
            obj.patches.push_back(q);
            d.selectedAnchors = {0, 3, 12, 15};
            d.selectedHandles = {7, 4};
            RebuildControlCaches(d);
        },
        Settings(2, 6), "patches");
}

// Random small objects on a coarse lattice, so that points coincide often, with handles owned
// by later points, older points owned by newer ones and repeated curves: the fast weld must
// merge in exactly the literal order.
TEST(WeldLatheSeam, AgreesWithTheLiteralWeldOnRandomObjects) {
    std::mt19937 rng(20240611);
    auto pick = [&rng](int32_t n) {
        return static_cast<int32_t>(rng() % static_cast<uint32_t>(n));
    };
    EditSwitches sw;
    int merged = 0;
    for (int round = 0; round < 400; ++round) {
        Document doc = NewDocument();
        PatchObject& obj = *doc.Current();
        const int32_t n = 6 + pick(30);
        for (int32_t i = 0; i < n; ++i) {
            const bool anchor = pick(3) == 0 || i == 0;
            const float jitter = pick(4) == 0 ? 0.0004f : 0.0f;
            AddPoint(obj, static_cast<float>(pick(2)) + jitter, static_cast<float>(pick(2)), 0.0f,
                     anchor ? -1 : 0);
        }
        std::vector<int32_t> anchors;
        for (int32_t i = 0; i < n; ++i) {
            if (obj.points[i].anchor < 0) anchors.push_back(i);
        }
        for (int32_t i = 0; i < n; ++i) {
            if (obj.points[i].anchor >= 0) obj.points[i].anchor = anchors[pick(anchors.size())];
        }
        const int32_t segments = 1 + pick(12);
        for (int32_t s = 0; s < segments; ++s) {
            if (s > 0 && pick(4) == 0) {
                obj.segments.push_back(obj.segments[pick(s)]);
                continue;
            }
            AddSegment(obj, pick(n), pick(n), pick(n), pick(n));
        }
        for (int32_t p = pick(4); p > 0; --p) {
            Patch q;
            q.edge0 = pick(segments);
            q.edge1 = pick(segments);
            q.edge2 = pick(segments);
            q.edge3 = pick(segments);
            q.inner11 = pick(n);
            q.inner12 = pick(n);
            q.inner21 = pick(n);
            q.inner22 = pick(n);
            obj.patches.push_back(q);
        }
        for (int32_t i = 0; i < n; ++i) {
            if (pick(3) == 0) {
                (obj.points[i].anchor < 0 ? doc.selectedAnchors : doc.selectedHandles).push_back(i);
            }
        }
        doc.activePoint = pick(n);
        RebuildControlCaches(doc);
        const int32_t start = 1 + pick(n - 1);
        Document literal = doc;
        WeldLatheSeam(doc, sw, start);
        shapefix::LiteralWeldLatheSeam(literal, sw, start);
        RebuildControlCaches(literal);
        ASSERT_EQ(FirstDifference(doc, literal), "") << "round " << round;
        ExpectValid(doc);
        merged += doc.Current()->pointCount() < n;
    }
    EXPECT_GT(merged, 200);  // most rounds really merged
}

}  // namespace
}  // namespace zarni
