// The start-up settings: defaults, conversions from the file, and the writers that store them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/settings.h"
#include "platform/profile.h"
#include "formats/settings_file.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

using testing_files::Get;
using testing_files::Put;
using testing_files::TempFolder;

std::array<float, 3> Rgb(int r, int g, int b) {
    return {{static_cast<float>(r / 255.0), static_cast<float>(g / 255.0),
             static_cast<float>(b / 255.0)}};
}

TEST(Settings, NoFileGivesTheDefaults) {
    TempFolder dir;
    const std::array<float, 3> back = Rgb(34, 63, 45);
    // A default-made Settings must be what a missing file gives.
    for (const Settings& s : {LoadSettings(dir.File("missing.ini")), Settings{}}) {
        EXPECT_EQ(s.backColorRGBA, (std::array<float, 4>{{back[0], back[1], back[2], 1.0f}}));
        EXPECT_EQ(s.wireColor, Rgb(73, 141, 163));
        EXPECT_EQ(s.handleColor, Rgb(110, 100, 60));
        EXPECT_EQ(s.otherObjectColor, Rgb(105, 118, 56));
        EXPECT_EQ(s.fovy, 30.0f);
        EXPECT_EQ(s.defaultAltitude, 9.0f);
        EXPECT_EQ(s.axesSize, 1.0f);
        EXPECT_EQ(s.synchronize, 1);
        EXPECT_EQ(s.divLevel, 6);
        EXPECT_EQ(s.backPictureVisible, 0);
        EXPECT_EQ(s.controlFlags, 0);  // button handle control on, the other two options off
    }
}

TEST(Settings, StoredValuesConvertToTheirRuntimeUnits) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini,
        "[view]\r\n"
        "backcolor=33023\r\n"  // 255 + 256 x 128
        "WIRECOLOR=16711680\r\n"
        "AxesSize=25\r\n"
        "DefaultAltitude=87\r\n"
        "Fovy=45\r\n"
        "fSynchronize=0\r\n"
        "[DefaultValue]\r\n"
        "DivLevel=12\r\n"
        "[BackPicture]\r\n"
        "Visible=1\r\n"
        "[Control]\r\n"
        "Flags=6\r\n");
    const Settings s = LoadSettings(ini);
    EXPECT_EQ(s.backColorRGBA, (std::array<float, 4>{{1.0f, Rgb(0, 128, 0)[1], 0.0f, 1.0f}}));
    EXPECT_EQ(s.wireColor, Rgb(0, 0, 255));
    EXPECT_EQ(s.handleColor, Rgb(110, 100, 60));  // not in the file
    EXPECT_EQ(s.axesSize, 2.5f);
    EXPECT_EQ(s.axesSize / 2, 1.25f);
    EXPECT_EQ(s.defaultAltitude, 8.7f);
    EXPECT_EQ(s.fovy, 45.0f);
    EXPECT_EQ(s.synchronize, 0);
    EXPECT_EQ(s.divLevel, 12);
    EXPECT_EQ(s.backPictureVisible, 1);
    EXPECT_EQ(s.controlFlags, kControlMinimumDrawing | kControlShow3DPos);
}

// A hand-edited file cannot give the views a value that breaks them: each number is read as the
// signed value written and held to the nearest end of its range.
TEST(Settings, ValuesOutsideTheirRangesAreHeldToThem) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    struct Case {
        const char* file;
        float fovy, altitude, axes;
        int32_t divLevel, synchronize, visible, flags;
    };
    const Case cases[] = {
        {"[View]\nFovy=500\nDefaultAltitude=-5\nAxesSize=-10\nfSynchronize=7\n"
         "[DefaultValue]\nDivLevel=-3\n[BackPicture]\nVisible=-1\n[Control]\nFlags=255\n",
         179.0f, 0.1f, 0.0f, 1, 1, 1, 15},
        {"[View]\nFovy=0\nDefaultAltitude=0\nAxesSize=99999999\nfSynchronize=0\n"
         "[DefaultValue]\nDivLevel=21\n[BackPicture]\nVisible=0\n[Control]\nFlags=-8\n",
         1.0f, 0.1f, 999999.9f, 20, 0, 0, 8},
        // The ends themselves are kept.
        {"[View]\nFovy=179\nDefaultAltitude=9999999\nAxesSize=0\n"
         "[DefaultValue]\nDivLevel=1\n",
         179.0f, 999999.9f, 0.0f, 1, 1, 0, 0},
        {"[View]\nFovy=1\nDefaultAltitude=1\nAxesSize=50\n[DefaultValue]\nDivLevel=20\n", 1.0f,
         0.1f, 5.0f, 20, 1, 0, 0},
        // Wrapped-around overlong numbers and junk are numbers too, and held the same way.
        {"[View]\nFovy=4294967296\nDefaultAltitude=abc\n[DefaultValue]\nDivLevel=+4x\n", 1.0f, 0.1f,
         1.0f, 4, 1, 0, 0},
    };
    for (const Case& c : cases) {
        Put(ini, c.file);
        const Settings s = LoadSettings(ini);
        EXPECT_EQ(s.fovy, c.fovy) << c.file;
        EXPECT_EQ(s.defaultAltitude, c.altitude) << c.file;
        EXPECT_EQ(s.axesSize, c.axes) << c.file;
        EXPECT_EQ(s.divLevel, c.divLevel) << c.file;
        EXPECT_EQ(s.synchronize, c.synchronize) << c.file;
        EXPECT_EQ(s.backPictureVisible, c.visible) << c.file;
        EXPECT_EQ(s.controlFlags, c.flags) << c.file;
        EXPECT_TRUE(SettingsInRange(s)) << c.file;
    }
    // Colours take their low three bytes; -1 is white.
    Put(ini, "[View]\nBackColor=-1\nWireColor=4278190335\n");
    const Settings s = LoadSettings(ini);
    EXPECT_EQ(s.backColorRGBA, (std::array<float, 4>{{1.0f, 1.0f, 1.0f, 1.0f}}));
    EXPECT_EQ(s.wireColor, Rgb(255, 0, 0));
}

// The values the parser gives for bytes in memory and for the same bytes in a file agree, and
// the in-memory edit is the one the file writer makes.
TEST(Settings, ParsedBytesReadAsTheFileDoes) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    const std::string bytes =
        "\xEF\xBB\xBF; comment\r\n[ View ]\r\nFovy = \"45\"\r\n"
        "[View]\r\nFovy=60\r\n[DefaultValue]\r\nDivLevel=9";
    Put(ini, bytes);
    const ProfileText text(bytes);
    EXPECT_EQ(text.Int("view", "FOVY", 30), 45u);
    EXPECT_EQ(text.Int("View", "Fovy", 30), GetProfileInt("View", "Fovy", 30, ini));
    EXPECT_EQ(text.String("DefaultValue", "DivLevel", ""), "9");
    EXPECT_EQ(text.Int("Other", "Fovy", -2), 4294967294u);
    EXPECT_EQ(SettingsFrom(text).fovy, LoadSettings(ini).fovy);

    std::string edited = bytes;
    ASSERT_TRUE(SetProfileValue(edited, "DefaultValue", "DivLevel", "3"));
    ASSERT_TRUE(WriteProfileString("DefaultValue", "DivLevel", "3", ini));
    EXPECT_EQ(Get(ini), edited);
    EXPECT_EQ(ProfileText(edited).Int("DefaultValue", "DivLevel", 6), 3u);
    // Refused edits leave the bytes alone.
    std::string same = bytes;
    EXPECT_FALSE(SetProfileValue(same, "View", "Fo=vy", "1"));
    EXPECT_FALSE(SetProfileValue(same, "View", "Fovy", "1\n[X]"));
    EXPECT_EQ(same, bytes);
}

TEST(Settings, ColourValuesTruncateEachByte) {
    EXPECT_EQ(ColorValueFromFloats(1.0f, 0.0f, 0.0f), 255u);
    EXPECT_EQ(ColorValueFromFloats(0.0f, 1.0f, 0.0f), 65280u);
    EXPECT_EQ(ColorValueFromFloats(0.0f, 0.0f, 1.0f), 16711680u);
    EXPECT_EQ(ColorValueFromFloats(0.999f, 0.5f, 0.0f), 254u + 256u * 127u);
    EXPECT_EQ(ColorValueFromFloats(-0.5f, 2.0f, 0.0f), 65280u);
    // Every byte survives the trip to float and back.
    for (uint32_t b = 0; b < 256; ++b) {
        const uint32_t value = b + 256u * (255 - b) + 65536u * ((b * 7) & 0xFF);
        const std::array<float, 3> rgb = ColorFromValue(value);
        EXPECT_EQ(ColorValueFromFloats(rgb[0], rgb[1], rgb[2]), value) << b;
    }
}

TEST(Settings, ViewSettingsAreWrittenAsTyped) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini, "[Extrude]\nDepth=10\n");
    Settings s;
    s.backColorRGBA = {{Rgb(1, 2, 3)[0], Rgb(1, 2, 3)[1], Rgb(1, 2, 3)[2], 1.0f}};
    s.defaultAltitude = static_cast<float>(87 / 10.0);  // just below 8.7
    s.axesSize = static_cast<float>(7 / 10.0);
    s.fovy = 45.9f;
    s.synchronize = 0;
    ASSERT_TRUE(SaveViewSettings(s, ini));
    EXPECT_EQ(Get(ini),
              "[Extrude]\nDepth=10\n\n[View]\nBackColor=197121\nWireColor=10718537\n"
              "HandleColor=3957870\nOtherObjectColor=3700329\nDefaultAltitude=87\nFovy=45\n"
              "AxesSize=7\nfSynchronize=0\n");

    s.defaultAltitude = 9.5f;
    ASSERT_TRUE(SaveViewSettings(s, ini));
    EXPECT_EQ(GetProfileString("View", "DefaultAltitude", "", ini), "95");
    const Settings back = LoadSettings(ini);
    EXPECT_EQ(back.backColorRGBA, s.backColorRGBA);
    EXPECT_EQ(back.defaultAltitude, 9.5f);
}

TEST(Settings, OtherOwnersWriteSignedDecimal) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    ASSERT_TRUE(SaveControlFlags(kControlNoButtonHandle | kControlShow3DPos, ini));
    ASSERT_TRUE(SaveBackPictureVisible(1, ini));
    ASSERT_TRUE(SaveDivLevel(-1, ini));
    EXPECT_EQ(Get(ini),
              "[Control]\nFlags=5\n\n[BackPicture]\nVisible=1\n\n[DefaultValue]\nDivLevel=-1\n");
    const Settings s = LoadSettings(ini);
    EXPECT_EQ(s.controlFlags, 5);
    EXPECT_EQ(s.backPictureVisible, 1);
    EXPECT_EQ(s.divLevel, 1);  // written as given, held to its range when read
}

TEST(Settings, FirstRunCreatesTheFileWhereTheVariablePoints) {
    TempFolder dir;
    const char* old = std::getenv("ZARNI_INI");
    const std::string saved = old ? old : "";
    const std::string ini = dir.File("fresh/config/zarni.ini");
    setenv("ZARNI_INI", ini.c_str(), 1);
    const std::string path = SettingsPath();
    EXPECT_EQ(path, ini);
    EXPECT_EQ(LoadSettings(path).divLevel, 6);
    EXPECT_TRUE(SaveDivLevel(9, path));
    EXPECT_EQ(LoadSettings(path).divLevel, 9);
    if (old) {
        setenv("ZARNI_INI", saved.c_str(), 1);
    } else {
        unsetenv("ZARNI_INI");
    }
}

}  // namespace
}  // namespace zarni
