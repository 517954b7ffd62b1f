// The whole-document operations: naming, colours, deletion, joining, caches, pivot.
#include <gtest/gtest.h>

#include "model/document.h"
#include "model/invariants.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

TEST(Document, StartUpDocumentHasOneEmptyObject) {
    Document doc = NewDocument();
    ASSERT_EQ(doc.objectCount(), 1);
    EXPECT_EQ(doc.objects[0].name, "OBJ_001");
    EXPECT_EQ(doc.objects[0].color, kDefaultObjectColors[0]);
    EXPECT_EQ(doc.currentObject, 0);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.objects[0].windmillCount, 1);
    EXPECT_EQ(doc.objects[0].windmillAxis, 1);
    EXPECT_EQ(doc.objects[0].mirrorFlags, 0);
    EXPECT_EQ(doc.backPictures[kBackFront].position.z, -2.0f);
    EXPECT_EQ(doc.backPictures[kBackBottom].position.y, 2.0f);
    EXPECT_EQ(doc.backPictures[kBackLeft].scale.y, 1.0f);
    EXPECT_TRUE(DocumentInvariantsHold(doc));
}

TEST(Document, NamesAndColoursCycleWithTheSerial) {
    Document doc = NewDocument();
    for (int i = 0; i < 12; ++i) CreateObject(doc);
    EXPECT_EQ(doc.objects[12].name, "OBJ_013");
    EXPECT_EQ(doc.objects[12].color, kDefaultObjectColors[0]);
    EXPECT_EQ(doc.objects[5].color, kDefaultObjectColors[5]);
    EXPECT_EQ(doc.currentObject, 12);
    for (int i = 0; i < 990; ++i) CreateObject(doc);
    EXPECT_EQ(doc.objects.back().name, "OBJ_1003");
}

TEST(Document, DeletingKeepsTheLastObjectAndMovesToThePreviousOne) {
    EditSwitches sw;
    Document doc = NewDocument();
    DeleteCurrentObject(doc, sw);
    EXPECT_EQ(doc.objectCount(), 1);
    EXPECT_FALSE(doc.modified);

    CreateObject(doc);
    CreateObject(doc);
    doc.currentObject = 0;
    DeleteCurrentObject(doc, sw);
    ASSERT_EQ(doc.objectCount(), 2);
    EXPECT_EQ(doc.currentObject, 0);
    EXPECT_EQ(doc.objects[0].name, "OBJ_002");
    EXPECT_TRUE(doc.modified);

    doc.currentObject = 1;
    DeleteCurrentObject(doc, sw);
    EXPECT_EQ(doc.currentObject, 0);
    EXPECT_EQ(doc.objects[0].name, "OBJ_002");
}

TEST(Document, JoinRenumbersTheAppendedGeometry) {
    EditSwitches sw;
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    CreateObject(doc);
    testdocs::AddQuadPatch(doc.objects[1], 5.0f);
    RebuildControlCaches(doc);

    doc.currentObject = 0;
    JoinWithPrevious(doc, sw);  // object 0 current: nothing
    EXPECT_EQ(doc.objectCount(), 2);

    const std::vector<float> secondCache = doc.objects[1].patchCache;
    doc.currentObject = 1;
    JoinWithPrevious(doc, sw);
    ASSERT_EQ(doc.objectCount(), 1);
    EXPECT_EQ(doc.currentObject, 0);
    const PatchObject& joined = doc.objects[0];
    EXPECT_EQ(joined.pointCount(), 32);
    EXPECT_EQ(joined.segmentCount(), 16);
    EXPECT_EQ(joined.patchCount(), 2);
    EXPECT_EQ(joined.name, "OBJ_001");
    EXPECT_TRUE(DocumentInvariantsHold(doc));
    // The second patch still describes the same surface.
    std::vector<float> tail(joined.patchCache.begin() + 48, joined.patchCache.end());
    EXPECT_EQ(tail, secondCache);
    for (int i = 16; i < 32; ++i) {
        if (joined.points[i].anchor >= 0) {
            EXPECT_GE(joined.points[i].anchor, 16);
        }
    }
}

TEST(Document, CachesFollowTheNetOrder) {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    RebuildControlCaches(doc);
    const PatchObject& obj = doc.objects[0];
    ASSERT_EQ(obj.patchCache.size(), 48u);
    // Corners of the net are the patch corners.
    const auto net = PatchNet(obj.segments, obj.patches[0]);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(obj.patchCache[3 * k], obj.points[net[k]].x);
        EXPECT_EQ(obj.patchCache[3 * k + 2], obj.points[net[k]].z);
    }
    EXPECT_EQ(obj.points[net[0]].x, 0.0f);
    EXPECT_EQ(obj.points[net[15]].x, 3.0f);
    EXPECT_EQ(obj.points[net[15]].y, 3.0f);
}

TEST(Document, PivotIsTheMeanOfSelectedAnchorsOnlyInCentreMode) {
    EditSwitches sw;
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    const auto net = PatchNet(doc.objects[0].segments, doc.objects[0].patches[0]);
    doc.selectedAnchors = {net[0], net[15]};
    DocumentChanged(doc, sw);
    EXPECT_EQ(doc.pivot.x, 0.0f);
    sw.pivotMode = 1;
    DocumentChanged(doc, sw);
    EXPECT_FLOAT_EQ(doc.pivot.x, 1.5f);
    EXPECT_FLOAT_EQ(doc.pivot.y, 1.5f);
    EXPECT_TRUE(doc.modified);
}

TEST(Document, InvariantCheckerFindsBadIndices) {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    RebuildControlCaches(doc);
    std::string why;
    ASSERT_TRUE(DocumentInvariantsHold(doc, &why)) << why;
    Document bad = doc;
    bad.objects[0].segments[3].p2 = 16;
    EXPECT_FALSE(DocumentInvariantsHold(bad, &why));
    EXPECT_NE(why.find("segment 3"), std::string::npos);
    bad = doc;
    bad.objects[0].patches[0].edge1 = -1;
    EXPECT_FALSE(DocumentInvariantsHold(bad));
    bad = doc;
    bad.selectedAnchors = {1, 1};
    EXPECT_FALSE(DocumentInvariantsHold(bad));
    bad = doc;
    bad.currentObject = -2;
    EXPECT_FALSE(DocumentInvariantsHold(bad));
    bad.currentObject = -1;
    EXPECT_TRUE(DocumentInvariantsHold(bad));
}

}  // namespace
}  // namespace zarni
