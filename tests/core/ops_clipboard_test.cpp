// Copy, cut, paste, deletion and duplicate in place.
#include <gtest/gtest.h>

#include <random>

#include "ops/clipboard.h"
#include "ops/duplicate.h"
#include "tests/core/ops_fixtures.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

using namespace opsfix;

// The positions of a patch's control net, row by row.
std::vector<float> NetPositions(const PatchObject& obj, const Patch& q) {
    std::vector<float> out;
    for (int32_t i : PatchNet(obj.segments, q)) {
        out.insert(out.end(), {obj.points[i].x, obj.points[i].y, obj.points[i].z});
    }
    return out;
}

TEST(Clipboard, OnePatchCopiesSixteenPointsEightSegmentsAndPastesBackToFour) {
    EditSwitches sw;
    Clipboard clip;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = AllAnchors(doc);
    CopySelection(doc, clip);
    EXPECT_EQ(clip.points.size(), 16u);
    EXPECT_EQ(clip.segments.size(), 8u);
    EXPECT_EQ(clip.patches.size(), 1u);
    EXPECT_TRUE(Sound(doc));

    const PatchObject source = doc.objects[0];
    CreateObject(doc);
    PasteClipboard(doc, clip, sw);
    const PatchObject& obj = doc.objects[1];
    EXPECT_EQ(obj.pointCount(), 16);
    EXPECT_EQ(obj.segmentCount(), 4);
    ASSERT_EQ(obj.patchCount(), 1);
    EXPECT_EQ(NetPositions(obj, obj.patches[0]), NetPositions(source, source.patches[0]));
    const auto net = PatchNet(obj.segments, obj.patches[0]);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{net[0], net[3], net[12], net[15]}));
    EXPECT_EQ(doc.activePoint, net[15]);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(Sound(doc));
}

TEST(Clipboard, EachPasteOfAFreeCurveSelectsOnlyItsOwnEnds) {
    EditSwitches sw;
    Clipboard clip;
    Document doc = DocWith([](PatchObject& obj) { AddFreeCurve(obj, 0, 0, 3, 1); });
    doc.selectedAnchors = {0, 1};
    CopySelection(doc, clip);
    ASSERT_EQ(clip.points.size(), 4u);
    ASSERT_EQ(clip.segments.size(), 1u);
    PasteClipboard(doc, clip, sw);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{4, 5}));
    PasteClipboard(doc, clip, sw);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{8, 9}));
    EXPECT_EQ(doc.activePoint, 9);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.segmentCount(), 3);  // copies at the same place are not folded: new points
    for (int s = 1; s < 3; ++s) {
        EXPECT_EQ(obj.points[obj.segments[s].p1].anchor, obj.segments[s].p0);
        EXPECT_EQ(obj.points[obj.segments[s].p2].anchor, obj.segments[s].p3);
        EXPECT_EQ(obj.points[obj.segments[s].p3].x, 3.0f);
    }
    EXPECT_EQ(clip.points.size(), 4u);  // paste leaves the clipboard as it was
    EXPECT_TRUE(Sound(doc));
}

TEST(Clipboard, CopiesAccumulateAndPasteIntoAnotherObject) {
    EditSwitches sw;
    Clipboard clip;
    Document doc = DocWith([](PatchObject& obj) { AddFreeCurve(obj, 0, 0, 1, 0); });
    doc.selectedAnchors = {0, 1};
    CopySelection(doc, clip);
    CopySelection(doc, clip);
    const PatchObject a = doc.objects[0];
    CreateObject(doc);
    PasteClipboard(doc, clip, sw);
    EXPECT_EQ(doc.objects[1].pointCount(), 8);
    EXPECT_EQ(doc.objects[1].segmentCount(), 2);
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1, 4, 5}));
    EXPECT_TRUE(SameGeometry(doc.objects[0], a));
    EXPECT_TRUE(Sound(doc));
}

TEST(Clipboard, PastedNeighboursShareTheirPointsWhileTheSharedEdgeSurvivesTwice) {
    EditSwitches sw;
    Clipboard clip;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 2, 1); });
    doc.selectedAnchors = AllAnchors(doc);
    const PatchObject source = doc.objects[0];
    CopySelection(doc, clip);
    CreateObject(doc);
    PasteClipboard(doc, clip, sw);
    const PatchObject& obj = doc.objects[1];
    EXPECT_EQ(obj.pointCount(), source.pointCount());
    EXPECT_EQ(obj.segmentCount(), source.segmentCount() + 1);
    ASSERT_EQ(obj.patchCount(), 2);
    EXPECT_EQ(obj.patches[0].edge3, obj.patches[1].edge2);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(NetPositions(obj, obj.patches[k]), NetPositions(source, source.patches[k]));
    }
    EXPECT_TRUE(Sound(doc));
}

TEST(Clipboard, NothingToCopyOrPasteChangesNothing) {
    EditSwitches sw;
    Clipboard clip;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = {0, 3};  // diagonal corners complete no edge
    CopySelection(doc, clip);
    EXPECT_TRUE(clip.points.empty());
    PasteClipboard(doc, clip, sw);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.objects[0].pointCount(), 16);
}

TEST(Clipboard, CutInHandleModeOnlyCopies) {
    Clipboard clip;
    EditSwitches sw;
    sw.handleMode = 1;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = AllAnchors(doc);
    const PatchObject before = doc.objects[0];
    CutSelection(doc, clip, sw);
    EXPECT_EQ(clip.points.size(), 16u);
    EXPECT_TRUE(SameGeometry(doc.objects[0], before));

    sw.handleMode = 0;
    Clipboard clip2;
    CutSelection(doc, clip2, sw);
    EXPECT_EQ(clip2.points.size(), 16u);
    EXPECT_EQ(doc.objects[0].pointCount(), 0);
    EXPECT_TRUE(Sound(doc));
}

TEST(Clipboard, AHandleInTheAnchorSelectionNeverNamesAPointOutsideTheClipboard) {
    EditSwitches sw;
    Clipboard clip;
    // The quad patch's interior curves start and end at handles: curve (4, 5, 6, 7) runs from
    // a handle of corner 0 to a handle of corner 3.
    Document doc = DocWith([](PatchObject& obj) { testdocs::AddQuadPatch(obj, 0.0f); });
    doc.selectedAnchors = {4, 7};
    CopySelection(doc, clip);
    ASSERT_EQ(clip.segments.size(), 1u);
    for (const ControlPoint& p : clip.points) {
        EXPECT_LT(p.anchor, static_cast<int32_t>(clip.points.size()));
    }
    CreateObject(doc);
    PasteClipboard(doc, clip, sw);
    EXPECT_TRUE(Sound(doc));
}

TEST(DeleteSelection, ACornerTakesThePatchItsEdgesTheirHandlesAndTheInterior) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    // Corners 0 (0,0), 1 (1,0), 2 (0,1), 3 (1,1).
    doc.selectedAnchors = {0};
    doc.selectedHandles = {5};
    doc.activePoint = 0;
    DeleteSelection(doc, sw);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.patchCount(), 0);
    ASSERT_EQ(obj.segmentCount(), 2);
    EXPECT_EQ(obj.pointCount(), 7);  // 3 corners, the 4 handles of the two far edges
    int anchors = 0;
    for (const ControlPoint& p : obj.points) {
        anchors += p.anchor < 0;
        EXPECT_FALSE(p.x == 0.0f && p.y == 0.0f);
        EXPECT_NE(p.z, 0.5f);  // interior points are gone
    }
    EXPECT_EQ(anchors, 3);
    for (const Segment& s : obj.segments) {
        EXPECT_EQ(obj.points[s.p1].anchor, s.p0);
        EXPECT_EQ(obj.points[s.p2].anchor, s.p3);
    }
    EXPECT_TRUE(doc.selectedAnchors.empty());
    EXPECT_TRUE(doc.selectedHandles.empty());
    EXPECT_EQ(doc.activePoint, -1);
    EXPECT_TRUE(Sound(doc));
}

TEST(DeleteSelection, EmptySelectionOnlyClearsHandlesAndTheActivePoint) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    const PatchObject before = doc.objects[0];
    doc.selectedHandles = {4, 5};
    doc.activePoint = 4;
    DeleteSelection(doc, sw);
    EXPECT_TRUE(SameGeometry(doc.objects[0], before));
    EXPECT_TRUE(doc.selectedHandles.empty());
    EXPECT_EQ(doc.activePoint, -1);
}

TEST(DeleteSelection, LeavesNoReferenceToARemovedPoint) {
    EditSwitches sw;
    // A handle shared by two segments (after welding two handles of anchor 0) must not be left
    // behind in one of them when the other goes.
    Document shared = DocWith([](PatchObject& obj) {
        const int32_t a = AddPoint(obj, 0, 0, 0);
        const int32_t b = AddPoint(obj, 3, 0, 0);
        const int32_t c = AddPoint(obj, 0, 3, 0);
        AddEdge(obj, a, b);
        AddEdge(obj, a, c);
        obj.segments[1].p1 = obj.segments[0].p1;
    });
    shared.selectedAnchors = {1};
    DeleteSelection(shared, sw);
    EXPECT_TRUE(Sound(shared));

    // Every corner of the quad patch, whose interior curves run through handles and interior
    // points, and random anchor sets of a patch grid.
    for (int32_t corner : {0, 3, 12, 15}) {
        Document doc = DocWith([](PatchObject& obj) { testdocs::AddQuadPatch(obj, 1.0f); });
        doc.selectedAnchors = {corner};
        DeleteSelection(doc, sw);
        EXPECT_TRUE(Sound(doc)) << "corner " << corner;
    }
    std::mt19937 rng(3);
    for (int round = 0; round < 50; ++round) {
        Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 3, 2); });
        for (int32_t a : AllAnchors(doc)) {
            if (rng() % 3 == 0) doc.selectedAnchors.push_back(a);
        }
        DeleteSelection(doc, sw);
        ASSERT_TRUE(Sound(doc)) << "round " << round;
    }
}

// A grid is deleted one row of corners at a time: the surviving patches keep exactly their
// control nets, so the renumbering lost nothing.
TEST(DeleteSelection, SurvivingPatchesKeepTheirNets) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 3, 3); });
    const PatchObject before = doc.objects[0];
    doc.selectedAnchors = {0, 1, 2, 3};  // the bottom corner row takes the bottom patch row
    DeleteSelection(doc, sw);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.patchCount(), 6);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(NetPositions(obj, obj.patches[k]), NetPositions(before, before.patches[k + 3]));
    }
    EXPECT_TRUE(Sound(doc));
}

TEST(Duplicate, OnePatchAddsSixteenPointsFourSegmentsOnePatchOnTopOfIt) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddPatchGrid(obj, 1, 1); });
    doc.selectedAnchors = AllAnchors(doc);
    DuplicateSelection(doc, sw);
    const PatchObject& obj = doc.objects[0];
    EXPECT_EQ(obj.pointCount(), 32);
    EXPECT_EQ(obj.segmentCount(), 8);
    ASSERT_EQ(obj.patchCount(), 2);
    EXPECT_EQ(NetPositions(obj, obj.patches[1]), NetPositions(obj, obj.patches[0]));
    ASSERT_EQ(doc.selectedAnchors.size(), 4u);
    for (int32_t a : doc.selectedAnchors)
        EXPECT_GE(a, 16);
    EXPECT_TRUE(Sound(doc));
}

TEST(Duplicate, ClosedLoopAddsTwelvePointsAndSelectsTheFourNewAnchors) {
    EditSwitches sw;
    Document doc = DocWith([](PatchObject& obj) { AddClosedLoop(obj); });
    doc.selectedAnchors = AllAnchors(doc);
    DuplicateSelection(doc, sw);
    EXPECT_EQ(doc.objects[0].pointCount(), 24);
    EXPECT_EQ(doc.objects[0].segmentCount(), 8);
    // Copies are made per segment in the order p0, p3, p1, p2, so the anchors interleave.
    EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{12, 13, 16, 19}));
    const std::vector<ControlPoint>& pts = doc.objects[0].points;
    for (int32_t a = 0; a < 4; ++a) {
        EXPECT_EQ(pts[doc.selectedAnchors[a]].x, pts[a].x);
        EXPECT_EQ(pts[doc.selectedAnchors[a]].y, pts[a].y);
    }
    EXPECT_TRUE(Sound(doc));
}

TEST(Duplicate, DoesWhatCopyAndPasteDoWithoutTouchingTheClipboard) {
    EditSwitches sw;
    std::mt19937 rng(11);
    for (int round = 0; round < 30; ++round) {
        Document doc = DocWith([](PatchObject& obj) {
            AddPatchGrid(obj, 3, 2);
            AddFreeCurve(obj, 0, 0, 3, 2, 1.0f);
        });
        for (int32_t a : AllAnchors(doc)) {
            if (rng() % 2) doc.selectedAnchors.push_back(a);
        }
        Document viaClipboard = doc;
        Clipboard clip;
        CopySelection(viaClipboard, clip);
        PasteClipboard(viaClipboard, clip, sw);

        Clipboard untouched;
        untouched.points.push_back(Pt(7, 7, 7));
        DuplicateSelection(doc, sw);
        ASSERT_TRUE(SameGeometry(doc.objects[0], viaClipboard.objects[0])) << "round " << round;
        // A selection that completes nothing: Paste of an empty clipboard keeps the selection,
        // while Duplicate selects the (no) new anchors.
        if (clip.points.empty()) {
            EXPECT_TRUE(doc.selectedAnchors.empty());
        } else {
            EXPECT_EQ(doc.selectedAnchors, viaClipboard.selectedAnchors);
        }
        EXPECT_TRUE(Sound(doc));
        EXPECT_EQ(untouched.points.size(), 1u);
    }
}

}  // namespace
}  // namespace zarni
