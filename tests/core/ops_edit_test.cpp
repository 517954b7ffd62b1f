// Handle smoothing and straightening, new curve segments, the axis mirror, the numeric axis
// edits and the point-selection operations.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "ops/curves.h"
#include "ops/handles.h"
#include "ops/mirror.h"
#include "tests/core/ops_fixtures.h"
#include "view/axis_edit.h"
#include "view/selection.h"

namespace zarni {
namespace {

using namespace opsfix;

constexpr float kHalfPi = 1.57079632679489662f;

::testing::AssertionResult At(const PatchObject& obj, int32_t i, float x, float y, float z,
                              float tol = 1e-5f) {
    const ControlPoint& p = obj.points[i];
    if (std::fabs(p.x - x) <= tol && std::fabs(p.y - y) <= tol && std::fabs(p.z - z) <= tol) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "point " << i << " is at (" << p.x << ", " << p.y << ", " << p.z << "), expected ("
           << x << ", " << y << ", " << z << ")";
}

// Every point not named in `moved` has exactly its old position.
::testing::AssertionResult OnlyMoved(const PatchObject& before, const PatchObject& after,
                                     const std::set<int32_t>& moved) {
    if (before.pointCount() != after.pointCount()) {
        return ::testing::AssertionFailure() << "point count changed";
    }
    for (int32_t i = 0; i < before.pointCount(); ++i) {
        if (moved.count(i)) continue;
        const ControlPoint& p = before.points[i];
        const ControlPoint& q = after.points[i];
        if (p.x != q.x || p.y != q.y || p.z != q.z) {
            return ::testing::AssertionFailure() << "point " << i << " moved";
        }
    }
    return ::testing::AssertionSuccess();
}

// The palette rebuilds the caches after the operations that only change coordinates.
::testing::AssertionResult SoundAfterRebuild(Document& doc) {
    RebuildControlCaches(doc);
    return Sound(doc);
}

// Two free curves whose handles sit at exact thirds:
//   0 (2, 1, 3) anchor   1 (5, 4, 0) anchor   2 (3, 2, 2) of 0   3 (4, 3, 1) of 1
//   4 (-1, 2, 1) anchor  5 (2, -1, 4) anchor  6 (0, 1, 2) of 4   7 (1, 0, 3) of 5
void TwoCurves(PatchObject& obj) {
    const int32_t a = AddPoint(obj, 2, 1, 3);
    const int32_t b = AddPoint(obj, 5, 4, 0);
    AddEdge(obj, a, b);
    const int32_t c = AddPoint(obj, -1, 2, 1);
    const int32_t d = AddPoint(obj, 2, -1, 4);
    AddEdge(obj, c, d);
}

// A curve of two segments through anchor 1 = (3, 0, 0): 0 -> 1 -> 2, with 1 owning exactly two
// handles, 4 (its handle on segment 0) and 5 (on segment 1).
//   0 (0,0,0)  1 (3,0,0)  2 (6,0,0)  3 (1,0,0) of 0  4 (2,1,0) of 1  5 (5,3,0) of 1  6 (5,0,0) of 2
Document KinkedCurve() {
    return DocWith([](PatchObject& obj) {
        AddPoint(obj, 0, 0, 0);
        AddPoint(obj, 3, 0, 0);
        AddPoint(obj, 6, 0, 0);
        AddPoint(obj, 1, 0, 0, 0);
        AddPoint(obj, 2, 1, 0, 1);
        AddPoint(obj, 5, 3, 0, 1);
        AddPoint(obj, 5, 0, 0, 2);
        obj.segments = {Seg(0, 3, 4, 1), Seg(1, 5, 6, 2)};
    });
}

// ---------------------------------------------------------------------------------------------
// Smoothing

TEST(SmoothHandles, TwoHandlesPutTheSelectedOneOppositeTheOther) {
    EditSwitches sw;
    Document doc = KinkedCurve();
    doc.selectedHandles = {5};
    const PatchObject before = doc.objects[0];
    SmoothHandles(doc, sw);
    // (3,0,0) - ((2,1,0) - (3,0,0))
    EXPECT_TRUE(At(doc.objects[0], 5, 4, -1, 0));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {5}));
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

TEST(SmoothHandles, BothHandlesGoInSegmentOrderNotSelectionOrder) {
    EditSwitches sw;
    Document doc = KinkedCurve();
    // Listed second, handle 4 still goes first: it belongs to segment 0. It turns opposite 5,
    // and 5, already opposite it, stays.
    doc.selectedHandles = {5, 4};
    SmoothHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 4, 1, -3, 0));
    EXPECT_TRUE(At(doc.objects[0], 5, 5, 3, 0));
    EXPECT_TRUE(Sound(doc));
}

TEST(SmoothHandles, ALoneHandleOfAnEndAnchorStays) {
    EditSwitches sw;
    Document doc = KinkedCurve();
    doc.selectedHandles = {3, 6};  // anchors 0 and 2 own one handle each
    const PatchObject before = doc.objects[0];
    SmoothHandles(doc, sw);
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {}));
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

// Anchor 0 at the origin with three segments out to 1 (3,0,0), 2 (0,3,0) and 3 (0,0,3); it
// owns handles 4 (1,0,0), 6 (0,1,0) and 8 (0,0,1); the far handles are 5, 7 and 9.
Document ThreeWayAnchor() {
    return DocWith([](PatchObject& obj) {
        const int32_t o = AddPoint(obj, 0, 0, 0);
        const int32_t x = AddPoint(obj, 3, 0, 0);
        const int32_t y = AddPoint(obj, 0, 3, 0);
        const int32_t z = AddPoint(obj, 0, 0, 3);
        AddEdge(obj, o, x);
        AddEdge(obj, o, y);
        AddEdge(obj, o, z);
    });
}

TEST(SmoothHandles, ThreeHandlesUseTheFirstOtherPointAndOneBoundForTheCommand) {
    EditSwitches sw;
    Document doc = ThreeWayAnchor();
    ASSERT_TRUE(At(doc.objects[0], 6, 0, 1, 0));
    doc.selectedHandles = {6, 8};
    SmoothHandles(doc, sw);
    // 6 mirrored is (0,-1,0), 2 away from 4 (the first other point of the anchor): under 200,
    // so 6 goes opposite 4 and the bound becomes 2. 8 mirrored is (0,0,-1), also 2 away from 4:
    // not under the bound, so 8 stays.
    EXPECT_TRUE(At(doc.objects[0], 6, -1, 0, 0));
    EXPECT_TRUE(At(doc.objects[0], 8, 0, 0, 1));
    EXPECT_TRUE(At(doc.objects[0], 4, 1, 0, 0));
    EXPECT_TRUE(Sound(doc));
}

TEST(SmoothHandles, ThreeHandlesCloserThanTheBoundAlsoMove) {
    EditSwitches sw;
    Document doc = ThreeWayAnchor();
    PatchObject& obj = doc.objects[0];
    obj.points[8].x = -0.5f;  // 8 mirrored (0.5,0,-1): 1.5 from 4, under the bound 2
    RebuildControlCaches(doc);
    doc.selectedHandles = {6, 8};
    SmoothHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 6, -1, 0, 0));
    EXPECT_TRUE(At(doc.objects[0], 8, -1, 0, 0));  // opposite 4, not opposite 6
    EXPECT_TRUE(Sound(doc));
}

TEST(SmoothHandles, BothHandlesOfOneSegmentGoInSelectionOrderAgainstTheBound) {
    EditSwitches sw;
    // Segment (0, 6, 7, 1); anchors 0 (0,0,0) and 1 (9,0,0) own three points each, their first
    // other points being 2 and 3.
    Document doc = DocWith([](PatchObject& obj) {
        AddPoint(obj, 0, 0, 0);
        AddPoint(obj, 9, 0, 0);
        AddPoint(obj, -1, 0, 0, 0);
        AddPoint(obj, 8, 0, 0, 1);
        AddPoint(obj, 0, 5, 0, 0);
        AddPoint(obj, 9, 5, 0, 1);
        AddPoint(obj, 1, 0, 1, 0);   // mirrored (-1,0,-1): 1 from point 2
        AddPoint(obj, 10, 0, 2, 1);  // mirrored (8,0,-2): 2 from point 3
        obj.segments = {Seg(0, 6, 7, 1)};
    });
    // 7 comes first: under 200, it moves and the bound becomes 2; then 6, at 1, moves too.
    doc.selectedHandles = {7, 6};
    SmoothHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 7, 10, 0, 0));
    EXPECT_TRUE(At(doc.objects[0], 6, 1, 0, 0));
    EXPECT_TRUE(Sound(doc));
}

TEST(SmoothHandles, PatchInteriorPointsCountAmongTheAnchorsPoints) {
    EditSwitches sw;
    // Corner 0 of a single patch owns edge handles 4 and 8 and interior point 12: three points.
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    ASSERT_EQ(doc.objects[0].points[12].anchor, 0);
    doc.selectedHandles = {12};
    SmoothHandles(doc, sw);
    // 12 is not a segment handle: nothing happens to it.
    EXPECT_TRUE(At(doc.objects[0], 12, 1.0f / 3, 1.0f / 3, 0.5f));
    doc.selectedHandles = {8};
    SmoothHandles(doc, sw);
    // 8 (0,1/3,0) mirrored is (0,-1/3,0), 2/3 from 4 (1/3,0,0): it goes opposite 4.
    EXPECT_TRUE(At(doc.objects[0], 8, -1.0f / 3, 0, 0));
    EXPECT_TRUE(Sound(doc));
}

// ---------------------------------------------------------------------------------------------
// Straightening

TEST(StraightenHandles, SegmentHandlesGoToThirdsWhateverTheyWere) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) {
        AddFreeCurve(obj, 0, 0, 3, 0);
        obj.points[2] = Pt(5, 5, 5, 0);
        obj.points[3] = Pt(-1, 2, 7, 1);
        AddFreeCurve(obj, 0, 3, 6, 9, 1);
        obj.points[6] = Pt(9, 9, 9, 4);
    });
    doc.selectedHandles = {3, 2};
    const PatchObject before = doc.objects[0];
    StraightenHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 2, 1, 0, 0));
    EXPECT_TRUE(At(doc.objects[0], 3, 2, 0, 0));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {2, 3}));
    EXPECT_TRUE(Sound(doc));

    doc.selectedHandles = {7};  // only the end handle of the second curve
    StraightenHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 7, 4, 7, 1));
    EXPECT_TRUE(At(doc.objects[0], 6, 9, 9, 9));
    EXPECT_TRUE(Sound(doc));
}

TEST(StraightenHandles, NothingSelectedChangesNothingButMarksModified) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 2, 1); });
    const PatchObject before = doc.objects[0];
    StraightenHandles(doc, sw);
    EXPECT_TRUE(SameGeometry(before, doc.objects[0]));
    EXPECT_TRUE(doc.modified);
    doc.modified = false;
    SmoothHandles(doc, sw);
    EXPECT_TRUE(SameGeometry(before, doc.objects[0]));
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

// One unit patch (corners 0 (0,0) 1 (1,0) 2 (0,1) 3 (1,1)) with its edge handles pulled off the
// flat lines:
//   edge0 = (0, 4, 5, 1)  edge1 = (2, 6, 7, 3)  edge2 = (0, 8, 9, 2)  edge3 = (1, 10, 11, 3)
//   inner11 = 12, inner12 = 13, inner21 = 14, inner22 = 15
Document BentPatch() {
    return DocWith([](PatchObject& obj) {
        AddPatchGrid(obj, 1, 1);
        obj.points[6] = Pt(0.5f, 1, 0.6f, 2);
        obj.points[8] = Pt(0, 0.25f, 0.75f, 0);
        obj.points[10] = Pt(1, 0.5f, 0.25f, 1);
    });
}

TEST(StraightenHandles, InteriorPointFollowsItsRowWhenOnlyTheHandleAboveIsSelected) {
    EditSwitches sw;
    Document doc = BentPatch();
    doc.selectedHandles = {4, 12};  // U of inner11 = edge0.p1; its V, edge2.p1 = 8, is not
    StraightenHandles(doc, sw);
    // A third of the way from 8 (0,0.25,0.75) to 10 (1,0.5,0.25).
    EXPECT_TRUE(At(doc.objects[0], 12, 1.0f / 3, 0.25f + 0.25f / 3, 0.75f - 0.5f / 3));
    EXPECT_TRUE(Sound(doc));
}

TEST(StraightenHandles, InteriorPointFollowsItsColumnWhenOnlyTheHandleBesideIsSelected) {
    EditSwitches sw;
    Document doc = BentPatch();
    doc.selectedHandles = {14, 9};  // V of inner21 = edge2.p2; its U, edge1.p1 = 6, is not
    StraightenHandles(doc, sw);
    // Two thirds of the way from 4 (1/3,0,0) to 6 (0.5,1,0.6).
    EXPECT_TRUE(At(doc.objects[0], 14, 1.0f / 3 + (0.5f - 1.0f / 3) * 2 / 3, 2.0f / 3, 0.4f));
    EXPECT_TRUE(Sound(doc));
}

TEST(StraightenHandles, InteriorPointsUseTheEdgeHandlesAlreadyStraightened) {
    EditSwitches sw;
    Document doc = BentPatch();
    // inner12 (13): U = edge0.p2 (5) selected, V = edge3.p1 (10) not. Its row runs from
    // edge2.p1 (8), which is selected too and first goes straight to (0,1/3,0).
    doc.selectedHandles = {13, 5, 8};
    StraightenHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 8, 0, 1.0f / 3, 0));
    EXPECT_TRUE(
        At(doc.objects[0], 13, 2.0f / 3, 1.0f / 3 + (0.5f - 1.0f / 3) * 2 / 3, 0.25f * 2 / 3));
    EXPECT_TRUE(Sound(doc));
}

TEST(StraightenHandles, InteriorPointWithBothOrNeitherEdgeHandleStays) {
    EditSwitches sw;
    Document doc = BentPatch();
    doc.selectedHandles = {12, 4, 8, 15};  // 12 has both U and V; 15 has neither
    StraightenHandles(doc, sw);
    EXPECT_TRUE(At(doc.objects[0], 12, 1.0f / 3, 1.0f / 3, 0.5f));
    EXPECT_TRUE(At(doc.objects[0], 15, 2.0f / 3, 2.0f / 3, 0.5f));
    EXPECT_TRUE(Sound(doc));
}

// ---------------------------------------------------------------------------------------------
// New curve segments

TEST(AppendCurveSegment, StartThenContinue) {
    EditSwitches sw;
    Document doc = NewDocument();
    const std::array<Vec3, 4> first{{{0, 0, 0}, {1, 1, 0}, {2, 1, 0}, {3, 0, 0}}};
    ASSERT_TRUE(AppendCurveSegment(doc, sw, false, first));
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.pointCount(), 4);
    ASSERT_EQ(obj.segmentCount(), 1);
    EXPECT_TRUE(At(obj, 1, 1, 1, 0));
    EXPECT_TRUE(At(obj, 3, 3, 0, 0));
    EXPECT_EQ(obj.points[0].anchor, -1);
    EXPECT_EQ(obj.points[1].anchor, 0);
    EXPECT_EQ(obj.points[2].anchor, 3);
    EXPECT_EQ(obj.points[3].anchor, -1);
    const Segment& s0 = obj.segments[0];
    EXPECT_EQ((std::array<int32_t, 4>{s0.p0, s0.p1, s0.p2, s0.p3}),
              (std::array<int32_t, 4>{0, 1, 2, 3}));
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(doc.activePoint, 3);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));

    // Q0 is not used when continuing.
    const std::array<Vec3, 4> next{{{9, 9, 9}, {4, -1, 0}, {5, -1, 0}, {6, 0, 0}}};
    ASSERT_TRUE(AppendCurveSegment(doc, sw, true, next));
    ASSERT_EQ(obj.pointCount(), 7);
    ASSERT_EQ(obj.segmentCount(), 2);
    const Segment& s = obj.segments[1];
    EXPECT_EQ((std::array<int32_t, 4>{s.p0, s.p1, s.p2, s.p3}),
              (std::array<int32_t, 4>{3, 4, 5, 6}));
    EXPECT_TRUE(At(obj, 4, 4, -1, 0));
    EXPECT_TRUE(At(obj, 6, 6, 0, 0));
    EXPECT_EQ(obj.points[4].anchor, 3);
    EXPECT_EQ(obj.points[5].anchor, 6);
    EXPECT_EQ(obj.points[6].anchor, -1);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 3, 6}));
    EXPECT_EQ(doc.activePoint, 6);
    EXPECT_TRUE(Sound(doc));
}

TEST(AppendCurveSegment, ANewCurveAfterOtherGeometryReplacesTheSelection) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddFreeCurve(obj, 0, 0, 3, 0); });
    doc.selectedAnchors = {1, 0};
    doc.activePoint = 0;
    const std::array<Vec3, 4> q{{{0, 5, 0}, {1, 5, 0}, {2, 5, 0}, {3, 5, 0}}};
    ASSERT_TRUE(AppendCurveSegment(doc, sw, false, q));
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.segmentCount(), 2);
    const Segment& s = obj.segments[1];
    EXPECT_EQ((std::array<int32_t, 4>{s.p0, s.p1, s.p2, s.p3}),
              (std::array<int32_t, 4>{4, 5, 6, 7}));
    EXPECT_EQ(obj.points[5].anchor, 4);
    EXPECT_EQ(obj.points[6].anchor, 7);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4, 7}));
    EXPECT_EQ(doc.activePoint, 7);
    EXPECT_TRUE(Sound(doc));
}

TEST(AppendCurveSegment, NewPointsTakeTheLowestVisibleLayer) {
    const std::array<Vec3, 4> q{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}};
    EditSwitches sw;
    sw.layerVisible = {{0, 0, 1, 1, 0, 0}};
    Document doc = NewDocument();
    ASSERT_TRUE(AppendCurveSegment(doc, sw, false, q));
    sw.layerVisible = {{0, 1, 0, 0, 0, 0}};
    ASSERT_TRUE(AppendCurveSegment(doc, sw, true, q));
    sw.layerVisible = {{0, 0, 0, 0, 0, 0}};
    ASSERT_TRUE(AppendCurveSegment(doc, sw, true, q));
    std::vector<int> layers;
    for (const ControlPoint& p : doc.objects[0].points)
        layers.push_back(p.layer);
    EXPECT_EQ(layers, (std::vector<int>{2, 2, 2, 2, 1, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(Sound(doc));
}

TEST(AppendCurveSegment, NothingWithoutACurrentObject) {
    EditSwitches sw;
    Document doc = NewDocument();
    doc.currentObject = -1;
    const std::array<Vec3, 4> q{};
    EXPECT_FALSE(AppendCurveSegment(doc, sw, false, q));
    EXPECT_EQ(doc.objects[0].pointCount(), 0);
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

// ---------------------------------------------------------------------------------------------
// Axis mirror

TEST(MirrorSelectionAxis, NegatesSelectedAnchorsWithTheirOwnPointsOnly) {
    EditSwitches sw;
    // Anchor 0 (1,2,3) with a segment to 1 (7,2,3) and one to 2 (1,8,3).
    Document doc = DocWith([](PatchObject& obj) {
        AddPoint(obj, 1, 2, 3);
        AddPoint(obj, 7, 2, 3);
        AddPoint(obj, 1, 8, 3);
        AddEdge(obj, 0, 1);  // handles 3 (3,2,3) of 0 and 4 (5,2,3) of 1
        AddEdge(obj, 0, 2);  // handles 5 (1,4,3) of 0 and 6 (1,6,3) of 2
        obj.points[3].x = 1.5f;
        obj.points[5] = Pt(0.5f, 2, 3, 0);
    });
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    const PatchObject before = doc.objects[0];
    MirrorSelectionAxis(doc, sw, 0);
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, -1, 2, 3));
    EXPECT_TRUE(At(obj, 3, -1.5f, 2, 3));
    EXPECT_TRUE(At(obj, 5, -0.5f, 2, 3));
    // The partners of the selected anchor and their handles stay.
    EXPECT_TRUE(OnlyMoved(before, obj, {0, 3, 5}));
    EXPECT_FALSE(doc.modified);
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(MirrorSelectionAxis, PatchInteriorPointsMoveWithTheirCorner) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    const PatchObject before = doc.objects[0];
    MirrorSelectionAxis(doc, sw, 2);
    EXPECT_TRUE(At(doc.objects[0], 12, 1.0f / 3, 1.0f / 3, -0.5f));
    // Corner 0 is at z = 0 and its edge handles too: only the interior point visibly changes.
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {0, 4, 8, 12}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(MirrorSelectionAxis, TwiceRestoresEveryPosition) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) {
        AddPatchGrid(obj, 3, 2, 1.25f);
        AddClosedLoop(obj, 2.0f);
    });
    // Grid corners 0..11, then 58 handles and interior points; the loop's anchors are 70..73.
    doc.selectedAnchors = {0, 5, 6, 11, 71};
    for (int32_t a : doc.selectedAnchors)
        ASSERT_LT(doc.objects[0].points[a].anchor, 0);
    const PatchObject before = doc.objects[0];
    for (int axis = 0; axis < 3; ++axis) {
        MirrorSelectionAxis(doc, sw, axis);
        EXPECT_FALSE(SameGeometry(before, doc.objects[0])) << axis;
        MirrorSelectionAxis(doc, sw, axis);
        EXPECT_TRUE(SameGeometry(before, doc.objects[0])) << axis;
    }
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(MirrorSelectionAxis, ALockedAxisIsNotMirrored) {
    EditSwitches sw;
    sw.axisLock = kLockY;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0};
    const PatchObject before = doc.objects[0];
    MirrorSelectionAxis(doc, sw, 1);
    EXPECT_TRUE(SameGeometry(before, doc.objects[0]));
    MirrorSelectionAxis(doc, sw, 0);
    EXPECT_TRUE(At(doc.objects[0], 0, -2, 1, 3));
    EXPECT_TRUE(At(doc.objects[0], 2, -3, 2, 2));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

// ---------------------------------------------------------------------------------------------
// Axis edits

// TwoCurves with anchors 0 and 4 selected, 0 active.
Document EditDoc(const EditSwitches& sw) {
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0, 4};
    doc.activePoint = 0;
    RecomputePivot(doc, sw);
    return doc;
}

TEST(AxisEdit, MoveShiftsSelectedAnchorsAndTheirHandlesUnlessLocked) {
    EditSwitches sw;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    const PatchObject before = doc.objects[0];
    AxisEdit(doc, sw, views, 0, 0.5f);
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, 2.5f, 1, 3));
    EXPECT_TRUE(At(obj, 2, 3.5f, 2, 2));
    EXPECT_TRUE(At(obj, 4, -0.5f, 2, 1));
    EXPECT_TRUE(At(obj, 6, 0.5f, 1, 2));
    EXPECT_TRUE(OnlyMoved(before, obj, {0, 2, 4, 6}));
    EXPECT_TRUE(SoundAfterRebuild(doc));

    sw.axisLock = kLockX;
    const PatchObject moved = doc.objects[0];
    AxisEdit(doc, sw, views, 0, 0.5f);
    EXPECT_TRUE(OnlyMoved(moved, doc.objects[0], {}));
    AxisEdit(doc, sw, views, 2, -1.0f);  // another axis still moves
    EXPECT_TRUE(At(doc.objects[0], 0, 2.5f, 1, 2));
    EXPECT_TRUE(At(doc.objects[0], 6, 0.5f, 1, 1));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, MoveWithAHandleActiveMovesTheSelectedHandlesOnly) {
    EditSwitches sw;
    sw.handleMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    doc.selectedHandles = {2, 6};
    doc.activePoint = 2;
    const PatchObject before = doc.objects[0];
    AxisEdit(doc, sw, views, 1, -2.0f);
    EXPECT_TRUE(At(doc.objects[0], 2, 3, 0, 2));
    EXPECT_TRUE(At(doc.objects[0], 6, 0, -1, 2));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {2, 6}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, ScaleAboutTheOriginChangesTheActiveCoordinateByTheAmount) {
    EditSwitches sw;
    sw.editMode = EditMode::Scale;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    const PatchObject before = doc.objects[0];
    // Active x = 2, pivot x = 0, v = 1: every selected point's x times 1.5. The ratio is taken
    // before anything moves, though anchor 0 itself is scaled first.
    AxisEdit(doc, sw, views, 0, 1.0f);
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, 3, 1, 3));
    EXPECT_TRUE(At(obj, 2, 4.5f, 2, 2));
    EXPECT_TRUE(At(obj, 4, -1.5f, 2, 1));
    EXPECT_TRUE(At(obj, 6, 0, 1, 2));
    EXPECT_TRUE(OnlyMoved(before, obj, {0, 2, 4, 6}));
    EXPECT_TRUE(SoundAfterRebuild(doc));

    sw.axisLock = kLockZ;
    const PatchObject scaled = doc.objects[0];
    AxisEdit(doc, sw, views, 2, 1.0f);
    EXPECT_TRUE(OnlyMoved(scaled, doc.objects[0], {}));
}

TEST(AxisEdit, ScaleAboutTheCentreOfTheSelection) {
    EditSwitches sw;
    sw.editMode = EditMode::Scale;
    sw.pivotMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    // The mean of (2,1,3) and (-1,2,1).
    EXPECT_TRUE(doc.pivot.x == 0.5f && doc.pivot.y == 1.5f && doc.pivot.z == 2.0f);
    AxisEdit(doc, sw, views, 0, 1.5f);  // 2 - 0.5 = 1.5: factor 2 about x = 0.5
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, 3.5f, 1, 3));
    EXPECT_TRUE(At(obj, 2, 5.5f, 2, 2));
    EXPECT_TRUE(At(obj, 4, -2.5f, 2, 1));
    EXPECT_TRUE(At(obj, 6, -0.5f, 1, 2));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, ScaleWithAZeroReferenceDoesNothing) {
    EditSwitches sw;
    sw.editMode = EditMode::Scale;
    sw.pivotMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0};  // the pivot is the active anchor itself
    doc.activePoint = 0;
    RecomputePivot(doc, sw);
    const PatchObject before = doc.objects[0];
    for (int k = 0; k < 3; ++k)
        AxisEdit(doc, sw, views, k, 1.0f);
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {}));

    // A handle level with its anchor on the axis.
    doc.objects[0].points[2].z = 3;
    doc.selectedHandles = {2, 6};
    doc.activePoint = 2;
    const PatchObject level = doc.objects[0];
    AxisEdit(doc, sw, views, 2, 1.0f);
    EXPECT_TRUE(OnlyMoved(level, doc.objects[0], {}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, ScaleWithAHandleActiveScalesHandlesAboutTheirOwnAnchors) {
    EditSwitches sw;
    sw.editMode = EditMode::Scale;
    sw.handleMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    doc.selectedHandles = {2, 7};
    doc.activePoint = 2;
    const PatchObject before = doc.objects[0];
    // Handle 2 is 1 from its anchor on x, v = 2: factor 3. Handle 7 (1,0,3) of anchor 5 (2,-1,4).
    AxisEdit(doc, sw, views, 0, 2.0f);
    EXPECT_TRUE(At(doc.objects[0], 2, 5, 2, 2));
    EXPECT_TRUE(At(doc.objects[0], 7, -1, 0, 3));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {2, 7}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, RotateIsRightHandedInRadiansAboutEachAxis) {
    EditSwitches sw;
    sw.editMode = EditMode::Rotate;
    const PictureViews views = FourViewLayoutViews();
    // Anchor 0 (2,1,3) with its handle 2 (3,2,2), turned a quarter about each axis through the
    // origin: seen from the positive end, counter-clockwise.
    const struct {
        int axis;
        Vec3 anchor, handle;
    } cases[] = {
        {0, {2, -3, 1}, {3, -2, 2}},
        {1, {3, 1, -2}, {2, 2, -3}},
        {2, {-1, 2, 3}, {-2, 3, 2}},
    };
    for (const auto& c : cases) {
        Document doc = DocWith(TwoCurves);
        doc.selectedAnchors = {0};
        doc.activePoint = 0;
        const PatchObject before = doc.objects[0];
        AxisEdit(doc, sw, views, c.axis, kHalfPi);
        EXPECT_TRUE(At(doc.objects[0], 0, c.anchor.x, c.anchor.y, c.anchor.z)) << c.axis;
        EXPECT_TRUE(At(doc.objects[0], 2, c.handle.x, c.handle.y, c.handle.z)) << c.axis;
        EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {0, 2})) << c.axis;
        EXPECT_TRUE(SoundAfterRebuild(doc));
    }
}

TEST(AxisEdit, RotateAboutTheVerticalThroughTheCentre) {
    EditSwitches sw;
    sw.editMode = EditMode::Rotate;
    sw.pivotMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);  // pivot (0.5, 1.5, 2)
    AxisEdit(doc, sw, views, 1, kHalfPi);
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, 1.5f, 1, 0.5f));
    EXPECT_TRUE(At(obj, 4, -0.5f, 2, 3.5f));
    EXPECT_TRUE(At(obj, 2, 0.5f, 2, -0.5f));
    EXPECT_TRUE(At(obj, 6, 0.5f, 1, 2.5f));
    EXPECT_TRUE(At(obj, 1, 5, 4, 0));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AxisEdit, RotateKeepsLockedComponentsOfOtherAxes) {
    EditSwitches sw;
    sw.editMode = EditMode::Rotate;
    const PictureViews views = FourViewLayoutViews();
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    sw.axisLock = kLockY;  // the turn about Z is flattened onto y = const
    AxisEdit(doc, sw, views, 2, kHalfPi);
    EXPECT_TRUE(At(doc.objects[0], 0, -1, 1, 3));
    EXPECT_TRUE(At(doc.objects[0], 2, -2, 2, 2));

    // Locking the axis of the turn itself changes nothing: that component never changes.
    Document other = DocWith(TwoCurves);
    other.selectedAnchors = {0};
    other.activePoint = 0;
    sw.axisLock = kLockZ;
    AxisEdit(other, sw, views, 2, kHalfPi);
    EXPECT_TRUE(At(other.objects[0], 0, -1, 2, 3));
    EXPECT_TRUE(SoundAfterRebuild(doc));
    EXPECT_TRUE(SoundAfterRebuild(other));
}

TEST(AxisEdit, RotateWithAHandleActiveTurnsHandlesAboutTheirOwnAnchors) {
    EditSwitches sw;
    sw.editMode = EditMode::Rotate;
    sw.handleMode = 1;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    doc.selectedHandles = {2, 6};
    doc.activePoint = 2;
    const PatchObject before = doc.objects[0];
    AxisEdit(doc, sw, views, 2, kHalfPi);
    // 2 - anchor 0 = (1,1,-1) -> (-1,1,-1); 6 - anchor 4 = (1,-1,1) -> (1,1,1).
    EXPECT_TRUE(At(doc.objects[0], 2, 1, 2, 2));
    EXPECT_TRUE(At(doc.objects[0], 6, 0, 3, 2));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {2, 6}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AllAxesEdit, MoveSkipsLockedAxes) {
    EditSwitches sw;
    sw.axisLock = kLockY;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    AllAxesEdit(doc, sw, views, 0.5f);
    EXPECT_TRUE(At(doc.objects[0], 0, 2.5f, 1, 3.5f));
    EXPECT_TRUE(At(doc.objects[0], 6, 0.5f, 1, 2.5f));
    EXPECT_TRUE(At(doc.objects[0], 1, 5, 4, 0));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(AllAxesEdit, ScaleUsesOneFactorOnEveryUnlockedAxis) {
    EditSwitches sw;
    sw.editMode = EditMode::Scale;
    const PictureViews views = FourViewLayoutViews();
    Document doc = EditDoc(sw);
    AllAxesEdit(doc, sw, views, 1.0f);  // factor 2 about the origin
    EXPECT_TRUE(At(doc.objects[0], 0, 4, 2, 6));
    EXPECT_TRUE(At(doc.objects[0], 2, 6, 4, 4));
    EXPECT_TRUE(At(doc.objects[0], 4, -2, 4, 2));
    EXPECT_TRUE(At(doc.objects[0], 6, 0, 2, 4));
    EXPECT_TRUE(SoundAfterRebuild(doc));

    Document locked = EditDoc(sw);
    sw.axisLock = kLockX;
    AllAxesEdit(locked, sw, views, 1.0f);
    EXPECT_TRUE(At(locked.objects[0], 0, 2, 2, 6));
    EXPECT_TRUE(At(locked.objects[0], 6, 0, 2, 4));
    EXPECT_TRUE(SoundAfterRebuild(locked));
}

TEST(AllAxesEdit, RotateTurnsAboutXThenYThenZ) {
    EditSwitches sw;
    sw.editMode = EditMode::Rotate;
    const PictureViews views = FourViewLayoutViews();
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    // (2,1,3) -X-> (2,-3,1) -Y-> (1,-3,-2) -Z-> (3,1,-2)
    AllAxesEdit(doc, sw, views, kHalfPi);
    EXPECT_TRUE(At(doc.objects[0], 0, 3, 1, -2));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(BackPictureEdit, ADeactivatedObjectLeavesPointsAndEditsTheOrthographicPictures) {
    EditSwitches sw;
    const PictureViews views = FourViewLayoutViews();
    Document doc = DocWith(TwoCurves);
    ResetBackPictureSlots(doc);
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    doc.currentObject = -1;  // object 0 remembered, none active
    const Document before = doc;

    AxisEdit(doc, sw, views, 0, 1.0f);
    EXPECT_TRUE(SameGeometry(before.objects[0], doc.objects[0]));
    for (int slot : {kBackTop, kBackFront, kBackRight}) {
        EXPECT_EQ(doc.backPictures[slot].position.x, before.backPictures[slot].position.x + 1)
            << slot;
    }
    for (int slot : {kBackBack, kBackLeft, kBackBottom}) {
        EXPECT_EQ(doc.backPictures[slot].position.x, before.backPictures[slot].position.x) << slot;
    }

    sw.editMode = EditMode::Scale;
    AxisEdit(doc, sw, views, 1, 0.5f);
    EXPECT_EQ(doc.backPictures[kBackTop].scale.y, 1.5f);
    EXPECT_EQ(doc.backPictures[kBackTop].scale.x, 1.0f);
    EXPECT_EQ(doc.backPictures[kBackLeft].scale.y, 1.0f);

    sw.editMode = EditMode::Rotate;
    AxisEdit(doc, sw, views, 2, 0.5f);  // stored in degrees, the value added as it is
    EXPECT_EQ(doc.backPictures[kBackFront].rotation.z, 0.5f);
    EXPECT_TRUE(SameGeometry(before.objects[0], doc.objects[0]));
    EXPECT_TRUE(Sound(doc));
}

TEST(BackPictureEdit, ASlotInTwoOrthographicViewsGetsTheValueTwice) {
    EditSwitches sw;
    Document doc = NewDocument();
    ResetBackPictureSlots(doc);
    const PictureViews views{{PictureView{false, kBackLeft}, PictureView{true, kBackTop},
                              PictureView{false, kBackLeft}, PictureView{true, kBackBack}}};
    const Document before = doc;
    BackPictureEdit(doc, sw, views, 1, 0.25f);
    EXPECT_EQ(doc.backPictures[kBackLeft].position.y, 0.5f);
    EXPECT_EQ(doc.backPictures[kBackTop].position.y, before.backPictures[kBackTop].position.y);
    EXPECT_EQ(doc.backPictures[kBackBack].position.y, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Selection

TEST(SelectPoint, PointModeTakesAnchorsAndCtrlOrAddAppends) {
    EditSwitches sw;
    Document doc = DocWith(TwoCurves);
    Vec3 origin{9, 9, 9};
    SelectPoint(doc, sw, 2, false, {}, &origin);  // a handle: refused
    EXPECT_TRUE(doc.selectedAnchors.empty());
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_EQ(origin.x, 9);

    SelectPoint(doc, sw, 4, false, {}, &origin);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4}));
    EXPECT_EQ(doc.activePoint, 4);
    EXPECT_TRUE(origin.x == -1 && origin.y == 2 && origin.z == 1);

    ModifierKeys ctrl;
    ctrl.ctrl = true;
    SelectPoint(doc, sw, 1, false, ctrl);
    SelectPoint(doc, sw, 4, false, ctrl);  // already there: not twice, but active again
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4, 1}));
    EXPECT_EQ(doc.activePoint, 4);
    SelectPoint(doc, sw, 0, true);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4, 1, 0}));

    ModifierKeys shift;
    shift.shift = true;
    SelectPoint(doc, sw, 5, false, shift);  // Shift does not add
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{5}));
    EXPECT_EQ(doc.activePoint, 5);
    EXPECT_TRUE(Sound(doc));
}

TEST(SelectPoint, HandleModeTakesOnlyHandlesOfSelectedAnchors) {
    EditSwitches sw;
    sw.handleMode = 1;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0, 5};
    SelectPoint(doc, sw, 1, false);  // an anchor
    SelectPoint(doc, sw, 3, false);  // handle of unselected anchor 1
    EXPECT_TRUE(doc.selectedHandles.empty());
    EXPECT_EQ(doc.activePoint, -1);
    SelectPoint(doc, sw, 7, false);
    SelectPoint(doc, sw, 2, true);
    EXPECT_EQ(doc.selectedHandles, (std::vector<int32_t>{7, 2}));
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 5}));
    EXPECT_EQ(doc.activePoint, 2);
    EXPECT_TRUE(Sound(doc));
}

TEST(SelectAll, TakesEveryEligiblePointInIndexOrder) {
    EditSwitches sw;
    sw.pivotMode = 1;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = {3};
    SelectAll(doc, sw);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(doc.activePoint, 3);
    EXPECT_TRUE(doc.pivot.x == 0.5f && doc.pivot.y == 0.5f && doc.pivot.z == 0.0f);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));

    // Handle mode: the handles and interior points of selected anchors 0 and 3.
    doc.selectedAnchors = {3, 0};
    sw.handleMode = 1;
    SelectAll(doc, sw);
    EXPECT_EQ(doc.selectedHandles, (std::vector<int32_t>{4, 7, 8, 11, 12, 15}));
    EXPECT_EQ(doc.activePoint, 15);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{3, 0}));
    EXPECT_TRUE(Sound(doc));
}

TEST(InvertSelection, SelectsExactlyTheOthers) {
    EditSwitches sw;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {1};
    doc.activePoint = 1;
    InvertSelection(doc, sw);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 4, 5}));
    EXPECT_EQ(doc.activePoint, 5);
    EXPECT_TRUE(Sound(doc));

    doc.selectedAnchors = {5, 0, 1, 4};
    InvertSelection(doc, sw);
    EXPECT_TRUE(doc.selectedAnchors.empty());
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_TRUE(Sound(doc));

    sw.handleMode = 1;
    doc.selectedAnchors = {0, 1};
    doc.selectedHandles = {3};
    InvertSelection(doc, sw);
    EXPECT_EQ(doc.selectedHandles, (std::vector<int32_t>{2}));
    EXPECT_EQ(doc.activePoint, 2);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(Sound(doc));
}

TEST(SelectNone, EmptiesOnlyTheListOfThePresentMode) {
    EditSwitches sw;
    sw.handleMode = 1;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {0};
    doc.selectedHandles = {2};
    doc.activePoint = 2;
    SelectNone(doc, sw);
    EXPECT_TRUE(doc.selectedHandles.empty());
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0}));
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

TEST(ToggleHandleMode, EnteringClearsHandlesLeavingActivatesTheLastAnchor) {
    EditSwitches sw;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {4, 0};
    doc.selectedHandles = {7};
    doc.activePoint = 4;
    ToggleHandleMode(doc, sw);
    EXPECT_EQ(sw.handleMode, 1);
    EXPECT_TRUE(doc.selectedHandles.empty());
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4, 0}));

    SelectPoint(doc, sw, 6, false);
    ToggleHandleMode(doc, sw);
    EXPECT_EQ(sw.handleMode, 0);
    EXPECT_EQ(doc.activePoint, 0);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));

    doc.selectedAnchors.clear();
    ToggleHandleMode(doc, sw);
    ToggleHandleMode(doc, sw);
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_TRUE(Sound(doc));
}

TEST(MoveSelection, MovesSelectedAnchorsWithTheirPointsOnUnlockedAxes) {
    EditSwitches sw;
    sw.axisLock = kLockX;
    Document doc = DocWith([](PatchObject& obj) {
        TwoCurves(obj);
        AddPatchGrid(obj, 1, 1);  // corner 8 owns 12, 16 and interior point 20
    });
    doc.selectedAnchors = {0, 8};
    doc.activePoint = 0;
    const PatchObject before = doc.objects[0];
    MoveSelection(doc, sw, Vec3{1, 2, 3});
    const PatchObject& obj = doc.objects[0];
    EXPECT_TRUE(At(obj, 0, 2, 3, 6));
    EXPECT_TRUE(At(obj, 2, 3, 4, 5));
    EXPECT_TRUE(At(obj, 20, 1.0f / 3, 1.0f / 3 + 2, 3.5f));
    EXPECT_TRUE(OnlyMoved(before, obj, {0, 2, 8, 12, 16, 20}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(MoveSelection, HandleModeMovesTheActiveHandleOnly) {
    EditSwitches sw;
    sw.handleMode = 1;
    Document doc = EditDoc(sw);
    doc.selectedHandles = {2, 6};
    doc.activePoint = 6;
    const PatchObject before = doc.objects[0];
    MoveSelection(doc, sw, Vec3{1, 0, -1});
    EXPECT_TRUE(At(doc.objects[0], 6, 1, 1, 1));
    EXPECT_TRUE(OnlyMoved(before, doc.objects[0], {6}));
    EXPECT_TRUE(SoundAfterRebuild(doc));
}

TEST(FindNearestPoint, SumOfDifferencesStrictlyUnderTheRadiusTiesToTheLowerIndex) {
    Document doc = DocWith([](PatchObject& obj) {
        AddPoint(obj, 0, 0, 0);           // 0: the dragged point
        AddPoint(obj, 0.2f, 0, 0);        // 1: exactly at the radius: too far
        AddPoint(obj, 0.1f, 0.1f, 0.1f);  // 2: 0.17 straight, 0.3 summed: too far
        AddPoint(obj, 0, 0.125f, 0);      // 3
        AddPoint(obj, 0, 0, -0.125f);     // 4: as near as 3
        AddPoint(obj, 0, 0, 0);           // 5: on top of 0
    });
    EXPECT_EQ(FindNearestPoint(doc, 0), 5);
    EXPECT_EQ(FindNearestPoint(doc, 5), 0);
    doc.objects[0].points.pop_back();
    RebuildControlCaches(doc);
    EXPECT_EQ(FindNearestPoint(doc, 0), 3);
    EXPECT_EQ(FindNearestPoint(doc, 1), -1);  // 0.2 from 0, 0.32 from 3
    EXPECT_EQ(FindNearestPoint(doc, 2), -1);
    doc.currentObject = -1;
    EXPECT_EQ(FindNearestPoint(doc, 0), -1);
    EXPECT_TRUE(Sound(doc));
}

TEST(RecomputePivot, OriginUnlessCentreModeWithASelection) {
    EditSwitches sw;
    Document doc = DocWith(TwoCurves);
    doc.selectedAnchors = {1, 5, 4};
    RecomputePivot(doc, sw);
    EXPECT_TRUE(doc.pivot.x == 0 && doc.pivot.y == 0 && doc.pivot.z == 0);
    sw.pivotMode = 1;
    DocumentChanged(doc, sw);
    // The mean of (5,4,0), (2,-1,4) and (-1,2,1).
    EXPECT_FLOAT_EQ(doc.pivot.x, 2.0f);
    EXPECT_FLOAT_EQ(doc.pivot.y, 5.0f / 3);
    EXPECT_FLOAT_EQ(doc.pivot.z, 5.0f / 3);
    doc.selectedAnchors.clear();
    RecomputePivot(doc, sw);
    EXPECT_TRUE(doc.pivot.x == 0 && doc.pivot.y == 0 && doc.pivot.z == 0);
    EXPECT_TRUE(Sound(doc));
}

}  // namespace
}  // namespace zarni
