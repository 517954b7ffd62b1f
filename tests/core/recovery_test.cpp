// Recovery copies without a display: names, the copies whose writer is gone, newest first, and
// a copy that reads back as the document with its path beside it.
#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <filesystem>

#include "formats/native_file.h"
#include "ops/primitives.h"
#include "rules/recovery.h"

namespace zarni {
namespace {

TEST(Recovery, FolderNamesAndTheCopiesLeftBehind) {
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("zarni-recovery-" + std::to_string(getpid()));
    std::filesystem::remove_all(home);
    setenv("XDG_STATE_HOME", home.c_str(), 1);
    const std::string folder = RecoveryFolder();
    EXPECT_EQ(folder, (home / "zarni").string());
    setenv("XDG_STATE_HOME", "relative/path", 1);  // not absolute: ignored
    EXPECT_EQ(RecoveryFolder(), std::string(std::getenv("HOME")) + "/.local/state/zarni");
    unsetenv("XDG_STATE_HOME");

    EXPECT_EQ(RecoveryPid("recovery-4242.zarni"), 4242);
    for (const char* bad : {"recovery-.zarni", "recovery-12a.zarni", "recovery-12.zarni.tmp",
                            "other-12.zarni", "recovery-12.path"})
        EXPECT_EQ(RecoveryPid(bad), -1) << bad;

    Document doc = NewDocument();
    EditSwitches sw;
    AddCircle4(doc, sw);
    std::string why;
    ASSERT_TRUE(WriteRecovery(doc, "/home/u/vase.zarni", folder, 101, &why)) << why;
    ASSERT_TRUE(WriteRecovery(NewDocument(), "", folder, 102, &why)) << why;
    ASSERT_TRUE(WriteRecovery(doc, "", folder, 103, &why)) << why;
    // 101 is the newest; 103 still runs.
    const std::string newest = RecoveryFile(folder, 101);
    const auto now = std::filesystem::last_write_time(newest);
    std::filesystem::last_write_time(RecoveryFile(folder, 102), now - std::chrono::hours(1));
    std::filesystem::last_write_time(newest, now + std::chrono::hours(1));
    const auto copies = OrphanedRecoveries(folder, [](int64_t pid) { return pid == 103; });
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].pid, 101);
    EXPECT_EQ(copies[0].documentPath, "/home/u/vase.zarni");
    EXPECT_EQ(copies[1].pid, 102);
    EXPECT_EQ(copies[1].documentPath, "");

    Document back;
    Clipboard clipboard;
    ASSERT_EQ(ReadDocumentFile(back, sw, clipboard, copies[0].file, {}, &why), kFileOk) << why;
    EXPECT_EQ(back.objects[0].pointCount(), 12);
    RemoveRecovery(copies[0].file);
    EXPECT_FALSE(std::filesystem::exists(copies[0].file));
    EXPECT_FALSE(std::filesystem::exists(RecoveryPathFile(copies[0].file)));
    EXPECT_EQ(OrphanedRecoveries(folder, [](int64_t) { return false; }).size(), 2u);

    // This process runs; a process id beyond any in use does not.
    EXPECT_TRUE(ProgramRunning(getpid()));
    EXPECT_FALSE(ProgramRunning(0));
    EXPECT_FALSE(ProgramRunning(999999999));
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace zarni
