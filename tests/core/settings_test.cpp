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
#include "shell/core/settings.h"
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

TEST(Settings, ValuesAreUsedAsReadWithoutRangeChecks) {
    TempFolder dir;
    const std::string ini = dir.File("zarni.ini");
    Put(ini,
        "[View]\nFovy=500\nAxesSize=-10\nBackColor=-1\n"
        "[DefaultValue]\nDivLevel=-3\n[Control]\nFlags=255\n");
    const Settings s = LoadSettings(ini);
    EXPECT_EQ(s.fovy, 500.0f);
    EXPECT_EQ(s.axesSize, static_cast<float>(4294967286u / 10.0));
    EXPECT_EQ(s.backColorRGBA, (std::array<float, 4>{{1.0f, 1.0f, 1.0f, 1.0f}}));
    EXPECT_EQ(s.divLevel, -3);
    EXPECT_EQ(s.controlFlags, 255);
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
    EXPECT_EQ(s.divLevel, -1);
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
