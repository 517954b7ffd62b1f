// The Model menu's circles and sphere: positions, owners, index offsets and the selection.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ops/lathe.h"
#include "ops/primitives.h"
#include "tests/core/ops_fixtures.h"

namespace zarni {
namespace {

using opsfix::AllAnchors;
using opsfix::Sound;

using opsfix::kPi;
using opsfix::Near;
using opsfix::Xyz;

double Distance(const ControlPoint& p, const ControlPoint& q) {
    return std::sqrt(double(p.x - q.x) * (p.x - q.x) + double(p.y - q.y) * (p.y - q.y) +
                     double(p.z - q.z) * (p.z - q.z));
}

// An object that already holds something: 5 points, one curve and a stray anchor, all
// selected, so that a primitive must append after them and must not build on them.
Document DocWithFivePoints() {
    Document doc = opsfix::DocWith([](PatchObject& obj) {
        opsfix::AddFreeCurve(obj, 3, 3, 4, 3, 2);
        opsfix::AddPoint(obj, -3, -3, -3);
    });
    doc.selectedAnchors = {0, 1, 4};
    doc.activePoint = 4;
    return doc;
}

// The circle of n arcs as the circle rule states it, computed directly per angle: the point
// at offset i of the appended block, and its owner offset (-1 for an anchor).
Xyz CircleRulePoint(int n, int i, float k) {
    const int arc = i / 3;
    const int role = i % 3;  // 0 anchor Aj, 1 outgoing Oj, 2 incoming I(j+1)
    const int j = role == 2 ? (arc + 1) % n : arc;
    const double t = 2.0 * kPi * j / n;
    const Xyz a{std::sin(t), 0.0, std::cos(t)};
    const Xyz tangent{std::cos(t), 0.0, -std::sin(t)};
    const double sign = role == 0 ? 0.0 : role == 1 ? 1.0 : -1.0;
    return {a.x + sign * k * tangent.x, 0.0, a.z + sign * k * tangent.z};
}

int CircleRuleOwner(int n, int i) {
    const int role = i % 3;
    if (role == 0) return -1;
    if (role == 1) return i - 1;
    return (i + 1) % (3 * n);
}

// Checks the block of a circle of n arcs appended at `base`.
void ExpectCircle(const Document& doc, int n, int32_t base) {
    const PatchObject& obj = *doc.Current();
    ASSERT_EQ(obj.pointCount(), base + 3 * n);
    const float k = n == 4 ? 0.552f : 0.265f;
    for (int i = 0; i < 3 * n; ++i) {
        const ControlPoint& p = obj.points[base + i];
        EXPECT_TRUE(Near(p, CircleRulePoint(n, i, k))) << "offset " << i;
        const int owner = CircleRuleOwner(n, i);
        EXPECT_EQ(p.anchor, owner < 0 ? -1 : base + owner) << "offset " << i;
        EXPECT_EQ(p.layer, 0);
    }
    std::vector<int32_t> anchors;
    for (int j = 0; j < n; ++j) {
        const Segment& s = obj.segments[obj.segmentCount() - n + j];
        EXPECT_EQ(s.p0, base + 3 * j);
        EXPECT_EQ(s.p1, base + 3 * j + 1);
        EXPECT_EQ(s.p2, base + 3 * j + 2);
        EXPECT_EQ(s.p3, base + (3 * j + 3) % (3 * n));
        anchors.push_back(base + 3 * j);
    }
    EXPECT_EQ(doc.selectedAnchors, anchors);
    EXPECT_EQ(doc.activePoint, anchors.back());
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

TEST(ArcHandleFactor, IsTheProgramsOwnTable) {
    const float table[19] = {1.0f,   1.0f,   1.0f,   0.768f, 0.552f, 0.433f, 0.357f,
                             0.303f, 0.265f, 0.235f, 0.211f, 0.192f, 0.176f, 0.162f,
                             0.151f, 0.140f, 0.131f, 0.123f, 0.116f};
    for (int n = 0; n < 19; ++n)
        EXPECT_EQ(ArcHandleFactor[n], table[n]) << n;
}

TEST(AddCircle, FourArcsOnAnEmptyObjectAreTheTable) {
    Document doc = NewDocument();
    EditSwitches sw;
    AddCircle4(doc, sw);
    const PatchObject& obj = *doc.Current();
    ASSERT_EQ(obj.segmentCount(), 4);
    ExpectCircle(doc, 4, 0);
    // Exact coordinates, as the table lists them.
    const float k = 0.552f;
    const float want[12][3] = {{0, 0, 1},   {k, 0, 1},  {1, 0, k},  {1, 0, 0},
                               {1, 0, -k},  {k, 0, -1}, {0, 0, -1}, {-k, 0, -1},
                               {-1, 0, -k}, {-1, 0, 0}, {-1, 0, k}, {-k, 0, 1}};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(obj.points[i].x, want[i][0]) << i;
        EXPECT_EQ(obj.points[i].y, want[i][1]) << i;
        EXPECT_EQ(obj.points[i].z, want[i][2]) << i;
    }
    EXPECT_EQ(obj.segments[3].p3, 0);
    EXPECT_EQ(doc.activePoint, 9);
}

TEST(AddCircle, EightArcsFollowTheCircleRule) {
    Document doc = NewDocument();
    EditSwitches sw;
    AddCircle8(doc, sw);
    ASSERT_EQ(doc.Current()->segmentCount(), 8);
    ExpectCircle(doc, 8, 0);
    EXPECT_TRUE(Near(doc.Current()->points[3], {std::sqrt(0.5), 0, std::sqrt(0.5)}));
    EXPECT_EQ(doc.activePoint, 21);
}

TEST(AddCircle, AppendsAfterExistingGeometryAndLeavesItAlone) {
    EditSwitches sw;
    for (int n : {4, 8}) {
        Document doc = DocWithFivePoints();
        const PatchObject before = *doc.Current();
        if (n == 4) {
            AddCircle4(doc, sw);
        } else {
            AddCircle8(doc, sw);
        }
        const PatchObject& obj = *doc.Current();
        ASSERT_EQ(obj.segmentCount(), 1 + n);
        ExpectCircle(doc, n, 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(obj.points[i].x, before.points[i].x);
            EXPECT_EQ(obj.points[i].anchor, before.points[i].anchor);
        }
        EXPECT_EQ(obj.segments[0].p0, before.segments[0].p0);
        EXPECT_EQ(obj.segments[0].p3, before.segments[0].p3);
        EXPECT_EQ(obj.patchCount(), 0);
    }
}

TEST(AddPrimitives, DoNothingWithoutACurrentObject) {
    EditSwitches sw;
    for (void (*add)(Document&, const EditSwitches&) : {AddCircle4, AddCircle8, AddSphere}) {
        Document doc = NewDocument();
        doc.currentObject = -1;
        add(doc, sw);
        EXPECT_EQ(doc.objects[0].pointCount(), 0);
        EXPECT_FALSE(doc.modified);
    }
}

// The patch's 16 control points must be `want`, row by row.
void ExpectNet(const PatchObject& obj, const Patch& q, const Xyz (&want)[16]) {
    const std::array<int32_t, 16> net = PatchNet(obj.segments, q);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Near(obj.points[net[i]], want[i])) << "net " << i;
}

TEST(AddSphere, OnAnEmptyObjectIsTheClosedFourSectorSphere) {
    Document doc = NewDocument();
    EditSwitches sw;
    AddSphere(doc, sw);
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    // 7 profile points and 4 steps of 21 points, less the 13 copies welded back: the pole
    // copies of every step and the last ring's five other points.
    EXPECT_EQ(obj.pointCount(), 78);
    EXPECT_EQ(obj.segmentCount(), 20);
    ASSERT_EQ(obj.patchCount(), 8);

    const std::vector<int32_t> anchors = AllAnchors(doc);
    ASSERT_EQ(anchors.size(), 6u);
    EXPECT_EQ(doc.selectedAnchors, anchors);
    EXPECT_EQ(doc.activePoint, anchors.back());
    const Xyz places[6] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}};
    int32_t north = -1, south = -1;
    for (const Xyz& at : places) {
        int found = 0;
        for (int32_t a : anchors) {
            if (Near(obj.points[a], at)) {
                ++found;
                if (at.y > 0) north = a;
                if (at.y < 0) south = a;
            }
        }
        EXPECT_EQ(found, 1) << at.x << " " << at.y << " " << at.z;
    }
    ASSERT_GE(north, 0);
    ASSERT_GE(south, 0);

    // Every segment is a quarter arc of radius 1 (handles 0.552 from their anchors) except the
    // pole sides, which start and end at the pole and collapse onto it.
    const float k = 0.552f;
    int meridians = 0, equator = 0, poleSides = 0;
    for (const Segment& s : obj.segments) {
        const ControlPoint& a = obj.points[s.p0];
        const ControlPoint& b = obj.points[s.p3];
        if (s.p0 == s.p3) {
            EXPECT_TRUE(s.p0 == north || s.p0 == south);
            EXPECT_TRUE(Near(obj.points[s.p1], {a.x, a.y, a.z}));
            EXPECT_TRUE(Near(obj.points[s.p2], {a.x, a.y, a.z}));
            ++poleSides;
            continue;
        }
        EXPECT_NEAR(Distance(obj.points[s.p1], a), k, 1e-6);
        EXPECT_NEAR(Distance(obj.points[s.p2], b), k, 1e-6);
        if (std::fabs(a.y) < 1e-6 && std::fabs(b.y) < 1e-6) {
            ++equator;
        } else {
            ++meridians;
        }
    }
    EXPECT_EQ(meridians, 8);
    EXPECT_EQ(equator, 4);
    EXPECT_EQ(poleSides, 8);

    // The first patch is the profile's upper arc and its first turned copy, -90 degrees about Y.
    const double k2 = double(k) * k;
    const Xyz upper[16] = {
        {0, 1, 0}, {k, 1, 0},  {1, k, 0}, {1, 0, 0},  //
        {0, 1, 0}, {k, 1, k2}, {1, k, k}, {1, 0, k},  //
        {0, 1, 0}, {k2, 1, k}, {k, k, 1}, {k, 0, 1},  //
        {0, 1, 0}, {0, 1, k},  {0, k, 1}, {0, 0, 1},
    };
    ExpectNet(obj, obj.patches[0], upper);
    // The seam is closed: the last sector's copies are the profile's own curves.
    EXPECT_EQ(obj.patches[6].edge1, obj.patches[0].edge0);
    EXPECT_EQ(obj.patches[7].edge1, obj.patches[1].edge0);
    EXPECT_EQ(obj.patches[0].edge0, 0);
    EXPECT_EQ(obj.patches[1].edge0, 1);
}

TEST(AddSphere, LathesOnlyItsOwnProfileOnAnObjectThatHoldsGeometry) {
    Document doc = DocWithFivePoints();
    EditSwitches sw;
    const PatchObject before = *doc.Current();
    AddSphere(doc, sw);
    ASSERT_TRUE(Sound(doc));
    const PatchObject& obj = *doc.Current();
    // The selected curve that was there is not lathed with the profile.
    EXPECT_EQ(obj.pointCount(), 5 + 78);
    EXPECT_EQ(obj.segmentCount(), 1 + 20);
    EXPECT_EQ(obj.patchCount(), 8);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(obj.points[i].x, before.points[i].x);
        EXPECT_EQ(obj.points[i].y, before.points[i].y);
        EXPECT_EQ(obj.points[i].z, before.points[i].z);
        EXPECT_EQ(obj.points[i].anchor, before.points[i].anchor);
    }
    EXPECT_EQ(obj.segments[0].p1, before.segments[0].p1);
    // Only the sphere's six anchors are selected, and every reference of the sphere lies in
    // the appended block.
    ASSERT_EQ(doc.selectedAnchors.size(), 6u);
    for (int32_t a : doc.selectedAnchors)
        EXPECT_GE(a, 5);
    for (int32_t s = 1; s < obj.segmentCount(); ++s) {
        for (int32_t p :
             {obj.segments[s].p0, obj.segments[s].p1, obj.segments[s].p2, obj.segments[s].p3}) {
            EXPECT_GE(p, 5);
        }
    }
    for (const Patch& q : obj.patches) {
        for (int32_t e : {q.edge0, q.edge1, q.edge2, q.edge3})
            EXPECT_GE(e, 1);
    }
}

}  // namespace
}  // namespace zarni
