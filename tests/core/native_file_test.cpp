// The native file: exact bytes, round trips, appending, and damaged files refused untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "formats/native_file.h"
#include "model/document.h"
#include "model/invariants.h"
#include "platform/file_io.h"
#include "tests/core/test_documents.h"

namespace zarni {
namespace {

int32_t I32At(const std::string& bytes, size_t at) {
    int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void PutI32(std::string& bytes, size_t at, int32_t v) {
    std::memcpy(&bytes[at], &v, 4);
}

// A document with a bit of everything: three objects, patches, free curves, a selection,
// symmetry settings, a picture name and camera memories.
Document RichDocument() {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    doc.objects[0].points[5].layer = 3;
    RebuildControlCaches(doc);
    CreateObject(doc);
    PatchObject& second = doc.objects[1];
    second.name = "\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4e\x83\x67";  // a Shift_JIS name
    second.mirrorFlags = kMirrorX | kMirrorMove;
    second.windmillCount = 3;
    second.windmillAxis = 2;
    second.moveX = 1500;
    second.moveZ = -250;
    testdocs::AddQuadPatch(second, 1.0f);
    testdocs::AddQuadPatch(second, 2.0f);
    ControlPoint lone;
    lone.x = -1.25f;
    second.points.push_back(lone);
    RebuildControlCaches(doc);
    CreateObject(doc);
    doc.currentObject = 1;
    doc.activePoint = 1;
    doc.selectedAnchors = {0, 3, 15};
    doc.selectedHandles = {1, 2};
    doc.pictureRatio = 120;
    doc.backPictures[kBackTop].fileName = "/home/user/top.bmp";
    doc.backPictures[kBackTop].scale = {2.0f, 2.0f, 1.0f};
    doc.backPictures[kBackTop].rotation = {0.0f, 45.0f, 0.0f};
    doc.view.fovy = 42.0f;
    doc.view.orthoAltitude[3] = 5.5f;
    doc.view.orthoPan[3] = {0.5f, -0.25f, 0.0f};
    return doc;
}

// What a document looks like once it has been through a file: colours without alpha and
// rounded to bytes, so later comparisons are byte for byte.
struct Loaded {
    Document doc = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    int result = 0;
    std::string why;
};

Loaded Load(const std::string& bytes) {
    Loaded l;
    l.result = ReadDocumentBytes(l.doc, l.sw, l.clipboard, bytes, {}, &l.why);
    return l;
}

TEST(NativeFile, StartUpDocumentIs404Bytes) {
    Document doc = NewDocument();
    const std::string bytes = DocumentBytes(doc);
    ASSERT_EQ(bytes.size(), 404u);
    EXPECT_EQ(bytes.substr(0, 6), "Zarni!");
    EXPECT_EQ(I32At(bytes, 6), 1);
    // "nurb": 52 bytes, name OBJ_001, colour entry 0 as bytes.
    EXPECT_EQ(bytes.substr(10, 4), "nurb");
    EXPECT_EQ(I32At(bytes, 14), 44);
    EXPECT_EQ(bytes[18], 7);
    EXPECT_EQ(bytes.substr(19, 7), "OBJ_001");
    EXPECT_EQ(static_cast<uint8_t>(bytes[26]), 213);  // 0.83921 x 255 truncated
    EXPECT_EQ(static_cast<uint8_t>(bytes[27]), 88);   // 0.34901 x 255 truncated
    EXPECT_EQ(I32At(bytes, 30), 1);                   // windmillCount
    EXPECT_EQ(I32At(bytes, 34), 1);                   // windmillAxis
    // "gsel": current 0, no active point, two empty lists.
    EXPECT_EQ(bytes.substr(62, 4), "gsel");
    EXPECT_EQ(I32At(bytes, 66), 16);
    EXPECT_EQ(I32At(bytes, 70), 0);
    EXPECT_EQ(I32At(bytes, 74), -1);
    EXPECT_EQ(bytes.substr(86, 4), "back");
    EXPECT_EQ(I32At(bytes, 90), 226);
    EXPECT_EQ(I32At(bytes, 94), 150);
    EXPECT_EQ(bytes.substr(320, 4), "view");
    EXPECT_EQ(I32At(bytes, 324), 76);
}

TEST(NativeFile, EmptyObjectIsA45ByteChunkAndReadsBackEmpty) {
    Document doc = NewDocument();
    doc.objects[0].name.clear();
    const std::string bytes = DocumentBytes(doc);
    EXPECT_EQ(bytes.size(), 404u - 7u);
    EXPECT_EQ(I32At(bytes, 14), 37);
    Loaded l = Load(bytes);
    ASSERT_EQ(l.result, kFileOk) << l.why;
    EXPECT_EQ(l.doc.objects[0].name, "");
}

TEST(NativeFile, ColoursAreStoredAsTruncatedBytesAndReadWithoutAlpha) {
    Document doc = NewDocument();
    doc.objects[0].color = {1.0f, 0.83921f, 0.0f, 1.0f};
    Loaded l = Load(DocumentBytes(doc));
    ASSERT_EQ(l.result, kFileOk);
    EXPECT_EQ(l.doc.objects[0].color[0], 1.0f);
    EXPECT_EQ(l.doc.objects[0].color[1], 213 / 255.0f);
    EXPECT_EQ(l.doc.objects[0].color[2], 0.0f);
    EXPECT_EQ(l.doc.objects[0].color[3], 0.0f);
    // Out-of-range colours never wrap around.
    doc.objects[0].color = {-0.5f, 7.0f, std::nanf(""), 1.0f};
    const std::string bytes = DocumentBytes(doc);
    EXPECT_EQ(static_cast<uint8_t>(bytes[26]), 0);
    EXPECT_EQ(static_cast<uint8_t>(bytes[27]), 255);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 0);
}

TEST(NativeFile, OwnFilesReadBackUnchanged) {
    const Document doc = RichDocument();
    const std::string bytes = DocumentBytes(doc);
    Loaded l = Load(bytes);
    ASSERT_EQ(l.result, kFileOk) << l.why;
    EXPECT_EQ(DocumentBytes(l.doc), bytes);
    EXPECT_TRUE(DocumentInvariantsHold(l.doc));
    const PatchObject& second = l.doc.objects[1];
    EXPECT_EQ(second.name, doc.objects[1].name);
    EXPECT_EQ(second.windmillCount, 3);
    EXPECT_EQ(second.moveZ, -250);
    EXPECT_EQ(second.points[5 + 16].layer, 0);
    EXPECT_EQ(l.doc.objects[0].points[5].layer, 3);
    EXPECT_EQ(second.patchCache, doc.objects[1].patchCache);
    EXPECT_EQ(l.doc.currentObject, 1);
    EXPECT_EQ(l.doc.selectedAnchors, doc.selectedAnchors);
    EXPECT_EQ(l.doc.backPictures[kBackTop].fileName, "/home/user/top.bmp");
    EXPECT_EQ(l.doc.backPictures[kBackTop].rotation.y, 45.0f);
    EXPECT_EQ(l.doc.view.orthoPan[3].y, -0.25f);
    EXPECT_EQ(l.doc.pictureRatio, 120);
    // Active point 1 is a handle, so the editor comes up in handle mode.
    EXPECT_EQ(l.sw.handleMode, 1);
}

TEST(NativeFile, RandomDocumentsRoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        Document doc = NewDocument();
        const int objects = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < objects; ++k) {
            if (k) CreateObject(doc);
            PatchObject& obj = doc.objects[k];
            const int patches = static_cast<int>(rng() % 4);
            for (int q = 0; q < patches; ++q)
                testdocs::AddQuadPatch(obj, float(rng() % 100) / 7);
            for (ControlPoint& p : obj.points) {
                p.x = std::uniform_real_distribution<float>(-50, 50)(rng);
                p.layer = static_cast<uint8_t>(rng() % 6);
            }
            obj.mirrorFlags = static_cast<int32_t>(rng() % 16);
            obj.windmillCount = 1 + static_cast<int32_t>(rng() % 72);
            RebuildControlCaches(doc);
        }
        const std::string bytes = DocumentBytes(doc);
        Loaded l = Load(bytes);
        ASSERT_EQ(l.result, kFileOk) << l.why;
        ASSERT_EQ(DocumentBytes(l.doc), bytes);
        ASSERT_TRUE(DocumentInvariantsHold(l.doc));
    }
}

TEST(NativeFile, StoredSettingsAreReadWithTheirConversions) {
    Document doc = RichDocument();
    doc.objects[2].windmillCount = 0;
    doc.currentObject = -3;  // object 2, deactivated
    doc.activePoint = -1;
    doc.selectedAnchors.clear();
    doc.selectedHandles.clear();
    const std::string bytes = DocumentBytes(doc);
    Loaded l;
    l.sw.handleMode = 1;
    l.result = ReadDocumentBytes(l.doc, l.sw, l.clipboard, bytes, {}, &l.why);
    ASSERT_EQ(l.result, kFileOk) << l.why;
    EXPECT_EQ(l.sw.handleMode, 1);  // no active point: the mode stays
    EXPECT_EQ(l.doc.objects[2].windmillCount, 1);
    EXPECT_EQ(l.doc.currentObject, 2);  // the deactivated form opens active

    // Appended to a document of five objects the same chunk counts from the fifth.
    Document five = NewDocument();
    for (int i = 0; i < 4; ++i)
        CreateObject(five);
    const Document before = five;
    ASSERT_EQ(AppendDocumentBytes(five, bytes), kFileOk);
    EXPECT_EQ(five.objectCount(), 8);
    EXPECT_EQ(five.currentObject, 2);
    EXPECT_EQ(five.objects[5].name, "OBJ_001");
    EXPECT_EQ(five.objects[4].name, before.objects[4].name);
    EXPECT_TRUE(DocumentInvariantsHold(five));
}

TEST(NativeFile, AppendingKeepsPicturesAndCamera) {
    Document three = NewDocument();
    CreateObject(three);
    CreateObject(three);
    three.backPictures[kBackFront].fileName = "/pictures/front.bmp";
    three.view.fovy = 55.0f;
    three.pictureRatio = 99;

    Document two = RichDocument();
    DeleteCurrentObject(two, EditSwitches{});  // two objects left, object 0 current
    two.selectedAnchors.clear();
    two.selectedHandles.clear();
    two.activePoint = -1;
    ASSERT_EQ(AppendDocumentBytes(three, DocumentBytes(two)), kFileOk);
    ASSERT_EQ(three.objectCount(), 5);
    EXPECT_EQ(three.objects[3].name, two.objects[0].name);
    EXPECT_EQ(three.objects[4].patchCount(), two.objects[1].patchCount());
    EXPECT_EQ(three.objects[4].patchCache, two.objects[1].patchCache);
    EXPECT_EQ(three.currentObject, 3);
    EXPECT_EQ(three.backPictures[kBackFront].fileName, "/pictures/front.bmp");
    EXPECT_EQ(three.backPictures[kBackTop].fileName, "");
    EXPECT_EQ(three.view.fovy, 55.0f);
    EXPECT_EQ(three.pictureRatio, 99);
}

// Splits a file into its head (magic, count, objects) and its trailing chunks.
struct Chunks {
    std::string head;
    std::vector<std::string> trailing;
};

Chunks SplitTrailing(const std::string& bytes, int objects) {
    Chunks c;
    size_t at = 10;
    for (int i = 0; i < objects; ++i)
        at += 8 + static_cast<uint32_t>(I32At(bytes, at + 4));
    c.head = bytes.substr(0, at);
    while (at < bytes.size()) {
        const size_t size = 8 + static_cast<uint32_t>(I32At(bytes, at + 4));
        c.trailing.push_back(bytes.substr(at, size));
        at += size;
    }
    return c;
}

TEST(NativeFile, TrailingChunksInAnyOrderAndUnknownChunksReadTheSame) {
    const Document doc = RichDocument();
    const std::string bytes = DocumentBytes(doc);
    const Chunks c = SplitTrailing(bytes, 3);
    ASSERT_EQ(c.trailing.size(), 3u);
    std::string unknown("xtra\x05\0\0\0hello", 13);
    const std::string reordered = c.head + c.trailing[2] + unknown + c.trailing[0] +
                                  std::string("gseX\0\0\0\0", 8) + c.trailing[1];
    Loaded a = Load(bytes);
    Loaded b = Load(reordered);
    ASSERT_EQ(b.result, kFileOk) << b.why;
    EXPECT_EQ(DocumentBytes(a.doc), DocumentBytes(b.doc));

    // Without trailing chunks the last object read is current and the camera stays.
    Loaded bare;
    bare.doc.view.fovy = 12.0f;
    bare.result = ReadDocumentBytes(bare.doc, bare.sw, bare.clipboard, c.head);
    ASSERT_EQ(bare.result, kFileOk);
    EXPECT_EQ(bare.doc.currentObject, 2);
    EXPECT_EQ(bare.doc.view.fovy, 12.0f);
    EXPECT_TRUE(bare.doc.selectedAnchors.empty());
}

TEST(NativeFile, UnknownChunkInAnObjectPlaceLeavesAnEmptyObject) {
    Document doc = RichDocument();
    ClearPointSelection(doc);
    std::string bytes = DocumentBytes(doc);
    const size_t second = 10 + 8 + static_cast<uint32_t>(I32At(bytes, 14));
    std::memcpy(&bytes[second], "junk", 4);
    Loaded l = Load(bytes);
    ASSERT_EQ(l.result, kFileOk) << l.why;
    EXPECT_EQ(l.doc.objects[1].name, "");
    EXPECT_EQ(l.doc.objects[1].pointCount(), 0);
    EXPECT_EQ(l.doc.objects[1].color[3], 0.0f);
    EXPECT_EQ(l.doc.objects[2].name, "OBJ_003");
}

TEST(NativeFile, FileWithoutObjectsOpensWithANewEmptyObject) {
    std::string bytes("Zarni!\0\0\0\0", 10);
    Loaded l;
    l.doc.objectSerial = 4;
    l.result = ReadDocumentBytes(l.doc, l.sw, l.clipboard, bytes);
    ASSERT_EQ(l.result, kFileOk);
    ASSERT_EQ(l.doc.objectCount(), 1);
    EXPECT_EQ(l.doc.objects[0].name, "OBJ_005");
    EXPECT_EQ(l.doc.currentObject, 0);
    EXPECT_TRUE(DocumentInvariantsHold(l.doc));
}

TEST(NativeFile, PicturesAreLoadedThroughTheHook) {
    const std::string bytes = DocumentBytes(RichDocument());
    std::vector<std::string> asked;
    PictureLoader loader = [&asked](const std::string& name) {
        asked.push_back(name);
        return std::shared_ptr<LoadedPicture>();
    };
    Loaded l;
    ASSERT_EQ(ReadDocumentBytes(l.doc, l.sw, l.clipboard, bytes, loader), kFileOk);
    EXPECT_EQ(asked, std::vector<std::string>{"/home/user/top.bmp"});
    EXPECT_EQ(l.doc.backPictures[kBackTop].fileName, "/home/user/top.bmp");
    EXPECT_EQ(l.doc.backPictures[kBackTop].picture, nullptr);
}

// The document, switches and clipboard must be exactly as before a refused read.
void ExpectRefusedUntouched(const std::string& bytes, const std::string& what) {
    Document doc = RichDocument();
    EditSwitches sw;
    sw.handleMode = 1;
    Clipboard clipboard;
    clipboard.points.resize(3);
    const std::string before = DocumentBytes(doc);
    std::string why;
    const int result = ReadDocumentBytes(doc, sw, clipboard, bytes, {}, &why);
    EXPECT_NE(result, kFileOk) << what;
    EXPECT_FALSE(why.empty()) << what;
    EXPECT_EQ(DocumentBytes(doc), before) << what;
    EXPECT_EQ(doc.backPictures[kBackTop].fileName, "/home/user/top.bmp") << what;
    EXPECT_EQ(sw.handleMode, 1) << what;
    EXPECT_EQ(clipboard.points.size(), 3u) << what;
    const int appended = AppendDocumentBytes(doc, bytes, &why);
    if (appended != kFileOk) {
        EXPECT_EQ(DocumentBytes(doc), before) << what;
    }
}

TEST(NativeFile, EveryTruncationIsRefusedOrEndsAtAChunk) {
    const std::string bytes = DocumentBytes(RichDocument());
    const Chunks c = SplitTrailing(bytes, 3);
    std::vector<size_t> boundaries{c.head.size()};
    for (const std::string& chunk : c.trailing)
        boundaries.push_back(boundaries.back() + chunk.size());
    for (size_t length = 0; length < bytes.size(); ++length) {
        const std::string cut = bytes.substr(0, length);
        const bool atChunk =
            std::find(boundaries.begin(), boundaries.end(), length) != boundaries.end();
        if (atChunk) {
            Loaded l = Load(cut);
            EXPECT_EQ(l.result, kFileOk) << length;
        } else {
            ExpectRefusedUntouched(cut, "cut at " + std::to_string(length));
        }
    }
}

TEST(NativeFile, OutOfRangeIndicesAndCountsAreRefused) {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    RebuildControlCaches(doc);
    doc.selectedAnchors = {0};
    doc.activePoint = 0;
    const std::string good = DocumentBytes(doc);
    // Offsets inside the one object: name "OBJ_001" (7 bytes), so the body starts at 18.
    const size_t body = 18;
    const size_t points = body + 1 + 7 + 4 + 20 + 4;  // first point record
    const size_t segments = points + 16 * 17 + 4;
    const size_t patches = segments + 8 * 16 + 4;
    const size_t gsel = patches + 32 + 8;  // body of "gsel"
    ASSERT_EQ(good.substr(gsel - 8, 4), "gsel");

    struct Case {
        const char* what;
        size_t at;
        int32_t value;
    };
    const Case cases[] = {
        {"anchor past the points", points + 12 + 17, 16},
        {"segment point past the end", segments + 8, 16},
        {"segment point negative", segments + 16 * 3, -1},
        {"patch edge past the segments", patches + 4, 8},
        {"patch edge negative", patches, -2},
        {"patch interior point past the end", patches + 20, 99},
        {"point count larger than the chunk", points - 4, 17},
        {"point count huge", points - 4, 0x7fffffff},
        {"point count negative", points - 4, -1},
        {"segment count huge", segments - 4, 0x10000000},
        {"patch count negative", patches - 4, -5},
        {"object count huge", 6, 0x7fffffff},
        {"object count negative", 6, -1},
        {"chunk size past the end", 14, 0x7ffffff0},
        {"chunk size smaller than its contents", 14, 40},
        {"current object past the end", gsel, 1},
        {"deactivated current object past the end", gsel, -2},
        {"active point past the end", gsel + 4, 16},
        {"selection entry past the end", gsel + 12, 16},
        {"selection entry negative", gsel + 12, -1},
        {"selection count past the chunk", gsel + 8, 1000},
        {"gsel size wrong", gsel - 4, 12},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        PutI32(bytes, c.at, c.value);
        ExpectRefusedUntouched(bytes, c.what);
    }
    ExpectRefusedUntouched("Zarni", "short magic");
    ExpectRefusedUntouched(std::string("zarni!\x01\0\0\0", 10), "wrong magic");
    Document untouched = RichDocument();
    EditSwitches sw;
    Clipboard clipboard;
    EXPECT_EQ(ReadDocumentBytes(untouched, sw, clipboard, "Zarni?xxxx"), kFileWrongMagic);
}

TEST(NativeFile, RepeatedSelectionEntriesAreDroppedNotRefused) {
    Document doc = NewDocument();
    testdocs::AddQuadPatch(doc.objects[0], 0.0f);
    doc.selectedAnchors = {0, 3, 0, 3, 12};
    Loaded l = Load(DocumentBytes(doc));
    ASSERT_EQ(l.result, kFileOk) << l.why;
    EXPECT_EQ(l.doc.selectedAnchors, (std::vector<int32_t>{0, 3, 12}));
}

TEST(NativeFile, LongNamesAreCutOnACharacterBoundary) {
    Document doc = NewDocument();
    doc.objects[0].name = "a";
    for (int i = 0; i < 200; ++i)
        doc.objects[0].name += "\x83\x41";  // 401 bytes
    Loaded l = Load(DocumentBytes(doc));
    ASSERT_EQ(l.result, kFileOk);
    EXPECT_EQ(l.doc.objects[0].name.size(), 255u);
    EXPECT_EQ(l.doc.objects[0].name.substr(253), "\x83\x41");
}

TEST(NativeFile, FilesOnDisk) {
    char dir[] = "/tmp/zarni-native-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/doc.zarni";
    const Document doc = RichDocument();
    ASSERT_EQ(WriteDocumentFile(doc, path), kFileOk);

    Document read = NewDocument();
    EditSwitches sw;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(read, sw, clipboard, path), kFileOk);
    EXPECT_EQ(DocumentBytes(read), DocumentBytes(doc));
    EXPECT_EQ(ReadDocumentFile(read, sw, clipboard, path + ".missing"), kFileCannotOpen);
    EXPECT_EQ(AppendDocumentFile(read, path + ".missing"), kFileCannotOpen);
    ASSERT_EQ(AppendDocumentFile(read, path), kFileOk);
    EXPECT_EQ(read.objectCount(), 6);

    // A failed save leaves the old file as it was and no temporary file behind.
    std::string why;
    EXPECT_EQ(WriteDocumentFile(doc, std::string(dir) + "/no/such/folder.zarni", &why),
              kFileCannotOpen);
    EXPECT_FALSE(why.empty());
    const std::string folder = std::string(dir) + "/folder.zarni";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_EQ(WriteDocumentFile(doc, folder), kFileCannotOpen);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, DocumentBytes(doc));
    const std::string listing = "ls -A " + std::string(dir) + " | wc -l | grep -qx 2";
    EXPECT_EQ(system(listing.c_str()), 0) << "a temporary file was left behind";
    EXPECT_EQ(system(("rm -r " + std::string(dir)).c_str()), 0);
}

TEST(NativeFile, ViewValuesFromAFileAreHeldToTheViewsRanges) {
    Document doc = NewDocument();
    doc.view.fovy = 0.0f;
    doc.view.orthoAltitude[0] = 0.0f;
    doc.view.orthoAltitude[1] = std::nanf("");
    doc.view.orthoAltitude[2] = 4.5f;
    doc.view.orthoPan[3].x = std::numeric_limits<float>::infinity();
    doc.view.orthoPan[3].y = -2.5f;
    Loaded l = Load(DocumentBytes(doc));
    ASSERT_EQ(l.result, kFileOk);
    EXPECT_EQ(l.doc.view.fovy, 1.0f);
    EXPECT_FLOAT_EQ(l.doc.view.orthoAltitude[0], 0.1f);
    EXPECT_EQ(l.doc.view.orthoAltitude[1], ViewSettings{}.orthoAltitude[1]);
    EXPECT_EQ(l.doc.view.orthoAltitude[2], 4.5f);
    EXPECT_EQ(l.doc.view.orthoPan[3].x, 0.0f);
    EXPECT_EQ(l.doc.view.orthoPan[3].y, -2.5f);
    doc.view.fovy = 500.0f;
    EXPECT_EQ(Load(DocumentBytes(doc)).doc.view.fovy, 179.0f);
}

}  // namespace
}  // namespace zarni
