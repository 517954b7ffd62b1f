// Point merging and the duplicate-segment fold it shares with paste and duplicate.
#include <gtest/gtest.h>

#include <random>

#include "ops/clipboard.h"
#include "ops/merge.h"
#include "tests/core/ops_fixtures.h"

namespace zarni {
namespace {

using namespace opsfix;

// The fold written the slow, obvious way: each segment removes the first later copy of itself.
void FoldOneCopyEach(PatchObject& obj) {
    for (size_t i = 0; i < obj.segments.size(); ++i) {
        for (size_t j = i + 1; j < obj.segments.size(); ++j) {
            const Segment& s = obj.segments[i];
            const Segment& t = obj.segments[j];
            if (s.p0 != t.p0 || s.p1 != t.p1 || s.p2 != t.p2 || s.p3 != t.p3) continue;
            obj.segments.erase(obj.segments.begin() + j);
            for (Patch& q : obj.patches) {
                for (int32_t* e : {&q.edge0, &q.edge1, &q.edge2, &q.edge3}) {
                    if (*e == static_cast<int32_t>(j)) *e = static_cast<int32_t>(i);
                    if (*e > static_cast<int32_t>(j)) --*e;
                }
            }
            break;
        }
    }
}

TEST(RemoveDuplicateSegments, LeavesATripleTwiceAndRedirectsPatchEdges) {
    Document doc = DocWith([](PatchObject& obj) {
        for (int i = 0; i < 8; ++i)
            AddPoint(obj, static_cast<float>(i), 0, 0);
        obj.segments = {Seg(0, 1, 2, 3), Seg(4, 5, 6, 7), Seg(0, 1, 2, 3),
                        Seg(0, 1, 2, 3), Seg(4, 5, 6, 7), Seg(3, 2, 1, 0)};
        Patch q;
        q.edge0 = 2;  // the removed second copy
        q.edge1 = 3;  // the surviving third copy
        q.edge2 = 4;  // second copy of the other segment
        q.edge3 = 5;  // the reversed segment is not a copy
        obj.patches.push_back(q);
    });
    RemoveDuplicateSegments(doc);
    RebuildControlCaches(doc);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.segmentCount(), 4);
    EXPECT_EQ(obj.segments[2].p0, 0);  // the third copy stays, now at 2
    EXPECT_EQ(obj.segments[3].p0, 3);
    EXPECT_EQ(obj.patches[0].edge0, 0);
    EXPECT_EQ(obj.patches[0].edge1, 2);
    EXPECT_EQ(obj.patches[0].edge2, 1);
    EXPECT_EQ(obj.patches[0].edge3, 3);
    EXPECT_TRUE(Sound(doc));
}

TEST(RemoveDuplicateSegments, MatchesTheOnePassFoldOnCrowdedObjects) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Document doc = DocWith([&rng](PatchObject& obj) {
            for (int i = 0; i < 6; ++i)
                AddPoint(obj, static_cast<float>(i), 0, 0);
            std::uniform_int_distribution<int> kind(0, 3);  // few distinct segments: many copies
            std::uniform_int_distribution<int> count(0, 40);
            const int n = count(rng);
            for (int i = 0; i < n; ++i) {
                const int k = kind(rng);
                obj.segments.push_back(Seg(k, k + 1, k + 2, (k * 5) % 6));
            }
            if (n == 0) return;
            std::uniform_int_distribution<int> edge(0, n - 1);
            for (int i = 0; i < 10; ++i) {
                Patch q;
                q.edge0 = edge(rng);
                q.edge1 = edge(rng);
                q.edge2 = edge(rng);
                q.edge3 = edge(rng);
                obj.patches.push_back(q);
            }
        });
        PatchObject expected = doc.objects[0];
        FoldOneCopyEach(expected);
        RemoveDuplicateSegments(doc);
        ASSERT_TRUE(SameGeometry(doc.objects[0], expected)) << "round " << round;
    }
}

// Two free curves: points 0..3 (anchors 0 and 1, handles 2 and 3) and 4..7 (anchors 4, 5),
// then a lone anchor 8.
Document TwoCurves() {
    return DocWith([](PatchObject& obj) {
        AddFreeCurve(obj, 0, 0, 1, 0);
        AddFreeCurve(obj, 2, 0, 3, 0);
        AddPoint(obj, 5, 5, 5);
    });
}

TEST(MergePoints, LaterAnchorIntoEarlierOne) {
    EditSwitches sw;
    Document doc = TwoCurves();
    doc.selectedAnchors = {4, 5};
    const PatchObject before = doc.objects[0];
    ASSERT_EQ(MergePoints(doc, sw, 5, 1), 1);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.pointCount(), 8);
    EXPECT_EQ(obj.points[5].x, before.points[6].x);  // points after 5 moved down
    EXPECT_EQ(obj.points[7].z, 5.0f);
    const Segment& s = obj.segments[1];
    EXPECT_EQ(s.p0, 4);
    EXPECT_EQ(s.p3, 1);
    EXPECT_EQ(obj.points[6].anchor, 1);  // the handle of the removed anchor follows it
    EXPECT_EQ(obj.points[5].anchor, 4);
    EXPECT_EQ(doc.selectedAnchors, std::vector<int32_t>{1});
    EXPECT_EQ(doc.activePoint, 1);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

TEST(MergePoints, EarlierAnchorIntoLaterOneEndsOneLower) {
    EditSwitches sw;
    Document doc = TwoCurves();
    ASSERT_EQ(MergePoints(doc, sw, 1, 4), 1);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.segments[0].p3, 3);  // former 1
    EXPECT_EQ(obj.segments[1].p0, 3);  // former 4
    EXPECT_EQ(obj.points[3].x, 2.0f);
    EXPECT_EQ(obj.points[2].anchor, 3);  // the handle that 1 owned
    EXPECT_EQ(doc.selectedAnchors, std::vector<int32_t>{3});
    EXPECT_EQ(doc.activePoint, 3);
    EXPECT_TRUE(Sound(doc));
}

TEST(MergePoints, RefusesMixedKindsAndForeignHandles) {
    EditSwitches sw;
    Document doc = TwoCurves();
    doc.selectedAnchors = {0};
    const Document before = doc;
    // Handle 2 belongs to point 0: an owner index of 0 must not read as "anchor".
    EXPECT_EQ(MergePoints(doc, sw, 0, 2), 0);
    EXPECT_EQ(MergePoints(doc, sw, 2, 0), 0);
    EXPECT_EQ(MergePoints(doc, sw, 2, 6), 0);  // handles of anchors 0 and 4
    EXPECT_EQ(MergePoints(doc, sw, 4, 4), 0);
    EXPECT_EQ(MergePoints(doc, sw, 4, 9), 0);
    EXPECT_EQ(MergePoints(doc, sw, -1, 4), 0);
    EXPECT_TRUE(SameGeometry(doc.objects[0], before.objects[0]));
    EXPECT_EQ(doc.selectedAnchors, before.selectedAnchors);
    EXPECT_FALSE(doc.modified);
}

TEST(MergePoints, TwoHandlesOfOneAnchorBecomeOneSharedHandle) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) {
        const int32_t a = AddPoint(obj, 0, 0, 0);
        const int32_t b = AddPoint(obj, 3, 0, 0);
        const int32_t c = AddPoint(obj, 0, 3, 0);
        AddEdge(obj, a, b);      // handles 3 (of a) and 4
        AddEdge(obj, a, c);      // handles 5 (of a) and 6
        AddPoint(obj, 9, 9, 9);  // a later anchor, 7
    });
    doc.selectedAnchors = {7, 0};
    doc.selectedHandles = {5, 6};
    ASSERT_EQ(MergePoints(doc, sw, 5, 3), 1);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.pointCount(), 7);
    EXPECT_EQ(obj.segments[0].p1, 3);
    EXPECT_EQ(obj.segments[1].p1, 3);
    EXPECT_EQ(obj.segments[1].p2, 5);  // the handle of c moved down
    EXPECT_EQ(doc.selectedHandles, std::vector<int32_t>{3});
    EXPECT_EQ(doc.activePoint, 3);
    // The anchor list of handle mode keeps its anchors, renumbered.
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{6, 0}));
    EXPECT_TRUE(Sound(doc));
}

TEST(MergePoints, OtherSelectionListIsRenumberedNotLeftPastTheEnd) {
    EditSwitches sw;
    Document doc = TwoCurves();
    doc.selectedHandles = {7, 6, 2};
    ASSERT_EQ(MergePoints(doc, sw, 1, 0), 1);  // an anchor kept: the handle list is the other
    EXPECT_EQ(doc.selectedHandles, (std::vector<int32_t>{6, 5, 1}));
    EXPECT_TRUE(Sound(doc));

    Document last = TwoCurves();
    last.selectedHandles = {8, 3};  // the removed point itself, also the last one
    ASSERT_EQ(MergePoints(last, sw, 8, 4), 1);
    EXPECT_EQ(last.selectedHandles, (std::vector<int32_t>{4, 3}));
    EXPECT_TRUE(Sound(last));
}

TEST(MergePoints, WeldingACopiedCurvePointByPointFoldsTheCopy) {
    EditSwitches sw;
    // Curve (0, 2, 3, 1) and a separate copy of it (4, 6, 7, 5); a patch edge names the copy.
    Document doc = DocWith([](PatchObject& obj) {
        AddFreeCurve(obj, 0, 0, 3, 0);
        AddFreeCurve(obj, 0, 0, 3, 0);
        Patch q;
        q.edge0 = 1;
        q.inner11 = q.inner12 = q.inner21 = q.inner22 = 0;
        obj.patches.push_back(q);
    });
    ASSERT_EQ(MergePoints(doc, sw, 6, 2), 0);  // handles of different anchors, for now
    ASSERT_EQ(MergePoints(doc, sw, 4, 0), 1);
    ASSERT_EQ(MergePoints(doc, sw, 4, 1), 1);
    ASSERT_EQ(doc.objects[0].segmentCount(), 2);  // still two: their handles differ
    ASSERT_EQ(MergePoints(doc, sw, 4, 2), 1);
    ASSERT_EQ(MergePoints(doc, sw, 4, 3), 1);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.pointCount(), 4);
    ASSERT_EQ(obj.segmentCount(), 1);
    EXPECT_EQ(obj.patches[0].edge0, 0);
    EXPECT_TRUE(Sound(doc));
}

TEST(MergePoints, BothEndsOfOneSegmentLeaveASegmentToItself) {
    EditSwitches sw;
    Document doc = TwoCurves();
    ASSERT_EQ(MergePoints(doc, sw, 1, 0), 1);
    const Segment& s = doc.objects[0].segments[0];
    EXPECT_EQ(s.p0, 0);
    EXPECT_EQ(s.p3, 0);
    EXPECT_EQ(doc.objects[0].segmentCount(), 2);
    EXPECT_TRUE(Sound(doc));
}

}  // namespace
}  // namespace zarni
