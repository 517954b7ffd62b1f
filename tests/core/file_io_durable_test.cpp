// The durable writer: every failure point leaves the old file byte for byte and is reported;
// saves through symbolic links replace the linked file; permissions survive a save. The
// document and settings writers go through it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/document.h"
#include "formats/native_file.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

using testing_files::Get;
using testing_files::Put;
using testing_files::TempFolder;

bool WriteBytes(const std::string& path, const std::string& bytes, std::string* why = nullptr) {
    return WriteFileAtomically(
        path,
        [&bytes](std::FILE* f) {
            return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        },
        why);
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class DurableWrite : public ::testing::Test {
  protected:
    void TearDown() override { SetWriteFaultsForTesting({}); }

    // More than the stream's buffer, so that bytes reach the file before the final flush.
    const std::string newBytes = std::string(200000, 'n') + "end";
    const std::string oldBytes = "the old file\n";
};

TEST_F(DurableWrite, EveryFailurePointKeepsTheOldFileAndIsReported) {
    struct Case {
        const char* name;
        WriteFaults faults;
    };
    std::vector<Case> cases;
    for (int64_t n : {int64_t{0}, int64_t{1}, int64_t{65536}, int64_t{200002}}) {
        WriteFaults f;
        f.failAfterBytes = n;
        cases.push_back({"bytes", f});
    }
    WriteFaults flush;
    flush.failFlush = true;
    cases.push_back({"flush", flush});
    WriteFaults rename;
    rename.failRename = true;
    cases.push_back({"rename", rename});

    for (const Case& c : cases) {
        TempFolder dir;
        const std::string path = dir.File("doc.zarni");
        Put(path, oldBytes);
        const std::vector<std::string> before = Names(dir.Path());
        SetWriteFaultsForTesting(c.faults);
        std::string why;
        EXPECT_FALSE(WriteBytes(path, newBytes, &why)) << c.name << " " << c.faults.failAfterBytes;
        EXPECT_NE(why.find(path), std::string::npos) << why;
        EXPECT_EQ(Get(path), oldBytes) << c.name;
        EXPECT_EQ(Names(dir.Path()), before) << c.name << ": the temporary file must go";

        // Where there was no file, a failed save leaves none.
        const std::string fresh = dir.File("fresh.zarni");
        EXPECT_FALSE(WriteBytes(fresh, newBytes)) << c.name;
        EXPECT_FALSE(std::filesystem::exists(fresh)) << c.name;
        SetWriteFaultsForTesting({});
    }
}

TEST_F(DurableWrite, TheByteLimitIsExact) {
    TempFolder dir;
    const std::string path = dir.File("a.inc");
    WriteFaults f;
    f.failAfterBytes = static_cast<int64_t>(newBytes.size());
    SetWriteFaultsForTesting(f);
    ASSERT_TRUE(WriteBytes(path, newBytes));
    EXPECT_EQ(Get(path), newBytes);
    f.failAfterBytes -= 1;
    SetWriteFaultsForTesting(f);
    std::string why;
    EXPECT_FALSE(WriteBytes(path, newBytes + "x", &why));
    EXPECT_NE(why.find("No space left"), std::string::npos) << why;
    EXPECT_EQ(Get(path), newBytes);
}

TEST_F(DurableWrite, AWriterThatGivesUpKeepsTheOldFile) {
    TempFolder dir;
    const std::string path = dir.File("a.pov");
    Put(path, oldBytes);
    std::string why;
    EXPECT_FALSE(WriteFileAtomically(
        path,
        [](std::FILE* f) {
            std::fputs("half", f);
            return false;
        },
        &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(Get(path), oldBytes);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"a.pov"});
}

// After the rename the new file is in place; a folder that cannot be flushed is still
// reported, since a crash could bring the old file back.
TEST_F(DurableWrite, AFolderFlushFailureIsReported) {
    TempFolder dir;
    const std::string path = dir.File("doc.zarni");
    Put(path, oldBytes);
    WriteFaults f;
    f.failFolderFlush = true;
    SetWriteFaultsForTesting(f);
    std::string why;
    EXPECT_FALSE(WriteBytes(path, newBytes, &why));
    EXPECT_NE(why.find("folder"), std::string::npos) << why;
    EXPECT_EQ(Get(path), newBytes);
}

TEST_F(DurableWrite, SavingThroughLinksReplacesTheLinkedFileAndKeepsTheLinks) {
    TempFolder dir;
    std::filesystem::create_directories(dir.File("real"));
    const std::string target = dir.File("real/doc.zarni");
    Put(target, oldBytes);
    chmod(target.c_str(), 0640);
    // A relative link in another folder, and a link to that link.
    ASSERT_EQ(symlink("real/doc.zarni", dir.File("link.zarni").c_str()), 0);
    ASSERT_EQ(symlink(dir.File("link.zarni").c_str(), dir.File("link2.zarni").c_str()), 0);

    ASSERT_TRUE(WriteBytes(dir.File("link2.zarni"), newBytes));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.zarni")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link2.zarni")));
    EXPECT_EQ(std::filesystem::read_symlink(dir.File("link.zarni")), "real/doc.zarni");
    EXPECT_EQ(Get(target), newBytes);
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(Names(dir.File("real")), std::vector<std::string>{"doc.zarni"});

    // A failure through a link leaves the linked file as it was.
    WriteFaults f;
    f.failRename = true;
    SetWriteFaultsForTesting(f);
    EXPECT_FALSE(WriteBytes(dir.File("link.zarni"), oldBytes));
    EXPECT_EQ(Get(target), newBytes);
    SetWriteFaultsForTesting({});

    // A dangling link gets its file; a loop is refused with a reason.
    ASSERT_EQ(symlink("real/new.zarni", dir.File("dangling.zarni").c_str()), 0);
    ASSERT_TRUE(WriteBytes(dir.File("dangling.zarni"), oldBytes));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.zarni")));
    EXPECT_EQ(Get(dir.File("real/new.zarni")), oldBytes);
    ASSERT_EQ(symlink("loop.zarni", dir.File("loop.zarni").c_str()), 0);
    std::string why;
    EXPECT_FALSE(WriteBytes(dir.File("loop.zarni"), oldBytes, &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(DurableWrite, PermissionsAreKeptAndNewFilesFollowTheMask) {
    TempFolder dir;
    const std::string path = dir.File("settings.ini");
    for (mode_t mode : {mode_t{0600}, mode_t{0644}, mode_t{0750}, mode_t{0444}}) {
        Put(path, oldBytes);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(WriteBytes(path, newBytes));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(Get(path), newBytes);
        std::filesystem::remove(path);
    }
    const mode_t old = umask(027);
    const bool written = WriteBytes(path, newBytes);
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(path), 0640u);
}

// The program's writers all go through the durable writer.
TEST_F(DurableWrite, DocumentAndSettingsSavesFailWithoutHarm) {
    TempFolder dir;
    const std::string doc = dir.File("doc.zarni");
    const std::string ini = dir.File("zarni.ini");
    Put(doc, oldBytes);
    Put(ini, "[View]\nFovy=45\n");
    WriteFaults f;
    f.failAfterBytes = 10;
    SetWriteFaultsForTesting(f);
    std::string why;
    EXPECT_EQ(WriteDocumentFile(NewDocument(), doc, &why), kFileCannotOpen);
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(WriteProfileInt("View", "Fovy", 60, ini));
    f.failAfterBytes = -1;
    f.failFlush = true;
    SetWriteFaultsForTesting(f);
    EXPECT_EQ(WriteDocumentFile(NewDocument(), doc), kFileCannotOpen);
    EXPECT_FALSE(WriteProfileInt("View", "Fovy", 60, ini));
    EXPECT_EQ(Get(doc), oldBytes);
    EXPECT_EQ(Get(ini), "[View]\nFovy=45\n");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"doc.zarni", "zarni.ini"}));

    SetWriteFaultsForTesting({});
    EXPECT_TRUE(WriteProfileInt("View", "Fovy", 60, ini));
    EXPECT_EQ(Get(ini), "[View]\nFovy=60\n");
}

}  // namespace
}  // namespace zarni
