// A document whose counts fit its file but whose records the memory cannot hold is refused
// whole, with the open document as it was: shown with a limit on what one read may reserve.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "model/document.h"
#include "formats/native_file.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

class ReadMemoryLimit : public ::testing::Test {
  protected:
    void TearDown() override { SetReadMemoryLimitForTesting(std::numeric_limits<size_t>::max()); }
};

Document OpenDocument() {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    CreateObject(doc);
    testdocs::AddQuadPatch(doc.objects[1], 3.0f);
    RebuildControlCaches(doc);
    doc.currentObject = 1;
    doc.selectedAnchors = {0, 3};
    doc.backPictures[kBackFront].fileName = "front.bmp";
    return doc;
}

// The file to read: two objects of many patches, a selection and a picture slot.
std::string FileBytes(size_t* recordBytes) {
    Document doc = NewDocument();
    for (int k = 0; k < 40; ++k)
        testdocs::AddQuadPatch(doc.objects[0], static_cast<float>(k));
    CreateObject(doc);
    for (int k = 0; k < 10; ++k)
        testdocs::AddQuadPatch(doc.objects[1], static_cast<float>(k));
    doc.selectedAnchors = {0, 3};
    doc.pictureRatio = 90;
    *recordBytes = 0;
    for (const PatchObject& obj : doc.objects) {
        *recordBytes += obj.points.size() * sizeof(ControlPoint) +
                        obj.segments.size() * sizeof(Segment) + obj.patches.size() * sizeof(Patch);
    }
    return DocumentBytes(doc);
}

TEST_F(ReadMemoryLimit, ADocumentTheMemoryCannotHoldIsRefusedWhole) {
    size_t recordBytes = 0;
    const std::string file = FileBytes(&recordBytes);
    const std::string wanted = [&file] {
        Document doc = NewDocument();
        EditSwitches sw;
        Clipboard clipboard;
        EXPECT_EQ(ReadDocumentBytes(doc, sw, clipboard, file), kFileOk);
        return DocumentBytes(doc);
    }();
    const std::string before = DocumentBytes(OpenDocument());

    // Limits from nothing up to plenty: each read either gives the whole file or refuses and
    // leaves everything as it was.
    size_t largestRefused = 0, smallestRead = SIZE_MAX;
    for (size_t limit = 0; limit <= 8 * recordBytes; limit += recordBytes / 16) {
        SetReadMemoryLimitForTesting(limit);
        for (bool append : {false, true}) {
            Document doc = OpenDocument();
            EditSwitches sw;
            sw.handleMode = 1;
            Clipboard clipboard;
            clipboard.points = doc.objects[0].points;
            const int32_t objects = doc.objectCount();
            std::string why;
            const int result = append ? AppendDocumentBytes(doc, file, &why)
                                      : ReadDocumentBytes(doc, sw, clipboard, file, {}, &why);
            if (result == kFileOk) {
                if (append) {
                    EXPECT_EQ(doc.objectCount(), objects + 2) << limit;
                } else {
                    EXPECT_EQ(DocumentBytes(doc), wanted) << limit;
                }
                smallestRead = std::min(smallestRead, limit);
                continue;
            }
            EXPECT_EQ(result, kFileNoMemory) << limit << " " << why;
            EXPECT_NE(why.find("memory"), std::string::npos) << why;
            EXPECT_EQ(DocumentBytes(doc), before) << limit << (append ? " append" : " read");
            EXPECT_EQ(doc.objectCount(), objects);
            EXPECT_EQ(sw.handleMode, 1);
            EXPECT_EQ(clipboard.points.size(), doc.objects[0].points.size()) << limit;
            largestRefused = std::max(largestRefused, limit);
        }
    }
    EXPECT_LT(smallestRead, SIZE_MAX) << "no limit let the file be read";
    EXPECT_LT(largestRefused, smallestRead);
    // The records alone fit below some refused limits: the caches built for them count too.
    EXPECT_GT(largestRefused, recordBytes);
}

}  // namespace
}  // namespace zarni
