// Background-picture slots without a display: loading, replacing and clearing a slot's picture,
// the name a slot can keep and save, and where a stored picture path is found.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bmp_writer.h"
#include "formats/native_file.h"
#include "rules/back_picture.h"
#include "platform/cp932.h"
#include "temp_folder.h"

namespace zarni {
namespace {

using namespace testing_files;

// The first pixel of the picture (its top-left corner).
Rgb8 TopLeftOf(const LoadedPicture& p) {
    return {{p.pixels.rgb[0], p.pixels.rgb[1], p.pixels.rgb[2]}};
}

// What a document written and read back keeps of a slot's name.
std::string SavedName(const Document& doc, int slot) {
    Document back;
    EditSwitches sw;
    Clipboard clipboard;
    EXPECT_EQ(ReadDocumentBytes(back, sw, clipboard, DocumentBytes(doc)), kFileOk);
    return back.backPictures[slot].fileName;
}

TEST(BackPictureSlots, LoadingReplacingAndClearingOwnThePicture) {
    TempFolder folder;
    const std::string first = folder.File("first.bmp");
    const std::string second = folder.File("second.bmp");
    WriteQuarterBmp(first, 300, 150);
    WriteQuarterBmp(second, 7, 5);
    Document doc = NewDocument();

    std::string why;
    ASSERT_TRUE(LoadSlotPicture(doc, kBackFront, first, &why)) << why;
    const BackPictureSlot& slot = doc.backPictures[kBackFront];
    EXPECT_EQ(slot.fileName, first);
    ASSERT_NE(slot.picture, nullptr);
    EXPECT_EQ(slot.picture->width(), 300);
    EXPECT_EQ(slot.picture->height(), 150);
    EXPECT_EQ(TopLeftOf(*slot.picture), kTopLeft) << "rows are kept top row first";
    // A picture with an odd width (padded rows in the file) reads to the same corner.
    ASSERT_TRUE(LoadSlotPicture(doc, kBackTop, second, &why)) << why;
    EXPECT_EQ(doc.backPictures[kBackTop].picture->width(), 7);

    // Replacing releases the old picture: nothing else holds it.
    std::weak_ptr<LoadedPicture> old = slot.picture;
    ASSERT_TRUE(LoadSlotPicture(doc, kBackFront, second, &why));
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(slot.fileName, second);
    EXPECT_EQ(slot.picture->height(), 5);

    // A file that is not a picture: the reader's reason, no picture, the name kept for saving.
    const std::string text = folder.File("notes.bmp");
    Put(text, "BA not a bitmap at all");
    old = slot.picture;
    why.clear();
    EXPECT_FALSE(LoadSlotPicture(doc, kBackFront, text, &why));
    EXPECT_NE(why.find("BM"), std::string::npos) << why;
    EXPECT_EQ(slot.picture, nullptr);
    EXPECT_TRUE(old.expired()) << "the replaced picture is released even when the new one fails";
    EXPECT_EQ(SavedName(doc, kBackFront), text);

    ClearSlotPicture(doc, kBackTop);
    EXPECT_EQ(doc.backPictures[kBackTop].picture, nullptr);
    EXPECT_EQ(SavedName(doc, kBackTop), "");
    // Placement stays with the slot.
    EXPECT_EQ(doc.backPictures[kBackTop].position.y, -2.0f);
    EXPECT_FALSE(LoadSlotPicture(doc, 6, first, &why));
}

TEST(BackPictureSlots, APathTooLongToSaveIsRefusedNotCut) {
    TempFolder folder;
    Document doc = NewDocument();
    const std::string path = folder.File("p.bmp");
    WriteQuarterBmp(path, 4, 4);
    std::string why;
    ASSERT_TRUE(LoadSlotPicture(doc, kBackLeft, path, &why));

    // The longest name the file stores is kept whole through saving.
    std::string longest = "/" + std::string(kMaxBackPictureNameBytes - 5, 'd') + ".bmp";
    ASSERT_EQ(longest.size(), kMaxBackPictureNameBytes);
    EXPECT_FALSE(LoadSlotPicture(doc, kBackRight, longest, &why));  // no such file
    EXPECT_EQ(SavedName(doc, kBackRight), longest);

    // One byte more (and the 259 of a Windows path) changes nothing at all.
    for (size_t size : {kMaxBackPictureNameBytes + 1, size_t{259}, size_t{4096}}) {
        const std::string tooLong = "/" + std::string(size - 5, 'e') + ".bmp";
        why.clear();
        EXPECT_FALSE(LoadSlotPicture(doc, kBackLeft, tooLong, &why)) << size;
        EXPECT_NE(why.find(std::to_string(kMaxBackPictureNameBytes)), std::string::npos) << why;
        EXPECT_EQ(doc.backPictures[kBackLeft].fileName, path);
        EXPECT_NE(doc.backPictures[kBackLeft].picture, nullptr);
    }
}

TEST(BackPictureSlots, StoredPathsFromAnotherMachineAreFoundBesideTheDocument) {
    TempFolder folder;
    const std::string document = folder.File("scene.zarni");
    WriteQuarterBmp(folder.File("front.bmp"), 30, 20);
    const std::string japanese = Utf8ToCp932("正面の絵.bmp");
    WriteQuarterBmp(folder.File("正面の絵.bmp"), 12, 10);
    std::filesystem::create_directory(folder.File("elsewhere"));
    const std::string present = folder.File("elsewhere/front.bmp");
    WriteQuarterBmp(present, 8, 6);

    EXPECT_EQ(StoredFileName("C:\\My Pictures\\front.bmp"), "front.bmp");
    EXPECT_EQ(StoredFileName("/home/a/b.bmp"), "b.bmp");
    EXPECT_EQ(StoredFileName("b.bmp"), "b.bmp");

    Document doc = NewDocument();
    doc.backPictures[kBackFront].fileName = "C:\\My Pictures\\front.bmp";
    doc.backPictures[kBackBack].fileName = "D:\\\x89\xe6\x91\x9c\\" + japanese;  // 画像 folder
    doc.backPictures[kBackTop].fileName = present;  // exists where it says: taken from there
    doc.backPictures[kBackBottom].fileName = "C:\\gone\\missing.bmp";
    doc.backPictures[kBackLeft].fileName = "/nowhere/also-missing.bmp";
    const Document stored = doc;

    const std::vector<std::string> failures = LoadSlotPictures(doc, document);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_NE(failures[0].find("Left"), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find("/nowhere/also-missing.bmp"), std::string::npos);
    EXPECT_NE(failures[1].find("Bottom"), std::string::npos) << failures[1];
    EXPECT_NE(failures[1].find("C:\\gone\\missing.bmp"), std::string::npos);

    ASSERT_NE(doc.backPictures[kBackFront].picture, nullptr);
    EXPECT_EQ(doc.backPictures[kBackFront].picture->width(), 30);
    ASSERT_NE(doc.backPictures[kBackBack].picture, nullptr);
    EXPECT_EQ(doc.backPictures[kBackBack].picture->width(), 12);
    ASSERT_NE(doc.backPictures[kBackTop].picture, nullptr);
    EXPECT_EQ(doc.backPictures[kBackTop].picture->width(), 8);
    EXPECT_EQ(doc.backPictures[kBackBottom].picture, nullptr);
    // Every stored name is kept as it was written, found or not.
    for (int k = 0; k < kBackSlotCount; ++k)
        EXPECT_EQ(doc.backPictures[k].fileName, stored.backPictures[k].fileName) << k;
}

}  // namespace
}  // namespace zarni
