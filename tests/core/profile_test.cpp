// The INI profile calls: defaults, integer parsing, matching, rewriting, and the file's place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/profile.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

using testing_files::Get;
using testing_files::Put;
using testing_files::TempFolder;

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    EXPECT_EQ(GetProfileInt("View", "Fovy", 30, ini), 30u);
    EXPECT_EQ(GetProfileInt("View", "Fovy", -5, ini), 4294967291u);
    EXPECT_EQ(GetProfileString("View", "Name", "none", ini), "none");

    Put(ini, "[View]\nFovy=45\n[Other]\nWireColor=7\n");
    EXPECT_EQ(GetProfileInt("Control", "Flags", 3, ini), 3u);
    EXPECT_EQ(GetProfileInt("View", "WireColor", 11, ini), 11u);  // only in another section
    EXPECT_EQ(GetProfileInt("View", "Fovy", 30, ini), 45u);
    EXPECT_EQ(GetProfileInt("View", "Fovy", 30, ""), 30u);
}

TEST(Profile, IntegerReadTakesTheLeadingSignAndDigits) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini,
        "[N]\n"
        "mixed=12abc\n"
        "letters=abc\n"
        "negative=-7\n"
        "plus=+8\n"
        "spaced=   42   \n"
        "decimal=3.9\n"
        "signOnly=-\n"
        "spaceAfterSign=- 5\n"
        "empty=\n"
        "huge=4294967297\n"
        "maxUnsigned=4294967295\n");
    EXPECT_EQ(GetProfileInt("N", "mixed", 99, ini), 12u);
    EXPECT_EQ(GetProfileInt("N", "letters", 99, ini), 0u);
    EXPECT_EQ(GetProfileInt("N", "negative", 99, ini), 4294967289u);
    EXPECT_EQ(GetProfileInt("N", "plus", 99, ini), 8u);
    EXPECT_EQ(GetProfileInt("N", "spaced", 99, ini), 42u);
    EXPECT_EQ(GetProfileInt("N", "decimal", 99, ini), 3u);
    EXPECT_EQ(GetProfileInt("N", "signOnly", 99, ini), 0u);
    EXPECT_EQ(GetProfileInt("N", "spaceAfterSign", 99, ini), 0u);
    EXPECT_EQ(GetProfileInt("N", "empty", 99, ini), 99u);
    EXPECT_EQ(GetProfileInt("N", "huge", 99, ini), 1u);
    EXPECT_EQ(GetProfileInt("N", "maxUnsigned", 99, ini), 4294967295u);
}

TEST(Profile, NamesMatchCaseInsensitivelyAndWhitespaceIsIgnored) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini,
        "Orphan=1\n"
        "  [ VIEW ]  \n"
        "; Fovy=99\n"
        "\taxessize\t=  25 \n"
        "Title = \"  quoted  \"\n"
        "Half='x\n"
        "a line without an equals sign\n"
        "[view]\n"
        "Fovy=77\n"
        "AxesSize=1\n");
    EXPECT_EQ(GetProfileInt("View", "AxesSize", 10, ini), 25u);
    EXPECT_EQ(GetProfileInt("vIeW", "AXESSIZE", 10, ini), 25u);
    EXPECT_EQ(GetProfileString("View", "axessize", "", ini), "25");
    EXPECT_EQ(GetProfileString("View", "Title", "", ini), "  quoted  ");
    EXPECT_EQ(GetProfileString("View", "Half", "", ini), "'x");
    // The comment is not a key; the repeated section is not searched.
    EXPECT_EQ(GetProfileInt("View", "Fovy", 30, ini), 30u);
    // A key before every section belongs to none.
    EXPECT_EQ(GetProfileInt("", "Orphan", 5, ini), 5u);
}

TEST(Profile, CrLfFilesAreReadAndStayCrLf) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini, "\xEF\xBB\xBF[View]\r\nFovy=45\r\nName=abc\r\n");
    EXPECT_EQ(GetProfileInt("View", "Fovy", 30, ini), 45u);
    EXPECT_EQ(GetProfileString("View", "Name", "", ini), "abc");

    ASSERT_TRUE(WriteProfileInt("View", "Fovy", 50, ini));
    ASSERT_TRUE(WriteProfileInt("View", "AxesSize", 12, ini));
    ASSERT_TRUE(WriteProfileInt("Control", "Flags", 2, ini));
    EXPECT_EQ(Get(ini),
              "\xEF\xBB\xBF[View]\r\nFovy=50\r\nName=abc\r\nAxesSize=12\r\n"
              "\r\n[Control]\r\nFlags=2\r\n");
}

TEST(Profile, WritingOneKeyKeepsEveryOtherLine) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    const std::string original =
        "; settings\n"
        "[View]\n"
        "  fovy = 30  ; old\n"
        "BackColor=2965282\n"
        "garbage line\n"
        "\n"
        "[Extrude]\n"
        "; depth in tenths\n"
        "Depth=10\n"
        "\n"
        "[Lathe]\n"
        "Steps=8";  // no line end at the very end
    Put(ini, original);

    // An existing key is rewritten in place, keeping the spelling the file uses.
    ASSERT_TRUE(WriteProfileString("VIEW", "FOVY", "45", ini));
    std::string expected = original;
    expected.replace(expected.find("  fovy = 30  ; old"), 18, "fovy=45");
    EXPECT_EQ(Get(ini), expected);

    // A missing key goes after the section's last line, before the blank separator.
    ASSERT_TRUE(WriteProfileString("Extrude", "Angle", "15", ini));
    expected.insert(expected.find("Depth=10\n") + 9, "Angle=15\n");
    EXPECT_EQ(Get(ini), expected);

    // A missing key in the last section, which has no final line end.
    ASSERT_TRUE(WriteProfileString("Lathe", "Axis", "2", ini));
    expected += "\nAxis=2\n";
    EXPECT_EQ(Get(ini), expected);

    // A missing section goes at the end of the file.
    ASSERT_TRUE(WriteProfileString("Control", "Flags", "1", ini));
    expected += "\n[Control]\nFlags=1\n";
    EXPECT_EQ(Get(ini), expected);

    EXPECT_EQ(GetProfileInt("View", "BackColor", 0, ini), 2965282u);
    EXPECT_EQ(GetProfileInt("Extrude", "Depth", 0, ini), 10u);
    EXPECT_EQ(GetProfileInt("Lathe", "Steps", 0, ini), 8u);

    Put(ini, "[Empty]\n\n\n[View]\nFovy=40\n");
    ASSERT_TRUE(WriteProfileInt("empty", "Key", 1, ini));
    EXPECT_EQ(Get(ini), "[Empty]\nKey=1\n\n\n[View]\nFovy=40\n");
}

TEST(Profile, IntegersAreWrittenSignedAndReadBackUnsigned) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    ASSERT_TRUE(WriteProfileInt("DefaultValue", "DivLevel", -3, ini));
    ASSERT_TRUE(WriteProfileInt("DefaultValue", "Min", INT32_MIN, ini));
    EXPECT_EQ(GetProfileString("DefaultValue", "DivLevel", "", ini), "-3");
    EXPECT_EQ(GetProfileString("DefaultValue", "Min", "", ini), "-2147483648");
    EXPECT_EQ(GetProfileInt("DefaultValue", "DivLevel", 6, ini), 4294967293u);
    EXPECT_EQ(GetProfileInt("DefaultValue", "Min", 6, ini), 2147483648u);
}

TEST(Profile, RefusedWritesLeaveTheFileAsItWas) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    const std::string original = "[View]\nFovy=30\n";
    Put(ini, original);
    EXPECT_FALSE(WriteProfileString("View", "Fovy", "1\n[Evil]", ini));
    EXPECT_FALSE(WriteProfileString("View", "A=B", "1", ini));
    EXPECT_FALSE(WriteProfileString("Vi]ew", "Fovy", "1", ini));
    EXPECT_FALSE(WriteProfileString(" ", "Fovy", "1", ini));
    EXPECT_FALSE(WriteProfileString("View", "", "1", ini));
    EXPECT_EQ(Get(ini), original);

    // A folder where the file should be, and a file where a folder should be.
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_FALSE(WriteProfileInt("View", "Fovy", 1, dir.File("folder.ini")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ini")));
    EXPECT_FALSE(WriteProfileInt("View", "Fovy", 1, ini + "/inner.ini"));
    EXPECT_EQ(Get(ini), original);
    EXPECT_FALSE(WriteProfileInt("View", "Fovy", 1, ""));
}

TEST(SettingsPathRule, BesideTheExecutableWhenItsFolderIsWritable) {
    EXPECT_EQ(SettingsPathFor("/opt/zarni/zarni.exe", true, "", "", "/home/u"),
              "/opt/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", true, "", "", "/home/u"), "/usr/bin/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/opt/my.dir/zarni", true, "", "", "/home/u"),
              "/opt/my.dir/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/opt/x.y/z", true, "", "", "/home/u"), "/opt/x.y/z.ini");
    EXPECT_EQ(SettingsPathFor("/opt/zarni.AppImage", true, "", "", "/home/u"),
              "/opt/zarni.AppImage.ini");
    EXPECT_EQ(SettingsPathFor("/opt/zarni-0.1", true, "", "", "/home/u"), "/opt/zarni-0.1.ini");
    EXPECT_EQ(SettingsPathFor("/opt/.zrn", true, "", "", "/home/u"), "/opt/.zrn.ini");
    EXPECT_EQ(SettingsPathFor("/opt/tool.ini", true, "", "", "/home/u"), "/opt/tool.ini.ini");
}

TEST(SettingsPathRule, ConfigFolderOtherwiseAndTheVariableAlways) {
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "", "/xdg", "/home/u"),
              "/xdg/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "", "/xdg/", "/home/u"),
              "/xdg/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "", "", "/home/u"),
              "/home/u/.config/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "", "relative", "/home/u"),
              "/home/u/.config/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("", true, "", "/xdg", "/home/u"), "/xdg/zarni/zarni.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "", "", ""), "");
    EXPECT_EQ(SettingsPathFor("/opt/zarni/zarni.exe", true, "/tmp/t.ini", "/xdg", "/home/u"),
              "/tmp/t.ini");
    EXPECT_EQ(SettingsPathFor("/usr/bin/zarni", false, "/tmp/t.ini", "/xdg", "/home/u"),
              "/tmp/t.ini");
}

TEST(SettingsPathRule, TheRunningProgramUsesItsOwnPathOrTheVariable) {
    const char* old = std::getenv("ZARNI_INI");
    const std::string saved = old ? old : "";
    setenv("ZARNI_INI", "/somewhere/else.ini", 1);
    EXPECT_EQ(SettingsPath(), "/somewhere/else.ini");

    unsetenv("ZARNI_INI");
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string folder = std::filesystem::path(exe).parent_path().string();
    if (access(folder.c_str(), W_OK) == 0) {
        EXPECT_EQ(SettingsPath(), exe + ".ini");  // the test program has no extension
    } else {
        EXPECT_NE(SettingsPath().find("/zarni/zarni.ini"), std::string::npos);
    }
    if (old) setenv("ZARNI_INI", saved.c_str(), 1);
}

}  // namespace
}  // namespace zarni
