// The extrude and lathe settings: defaults, the file's keys, the dialogs' byte and range rules,
// and what the operations then make of the values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ops/extrude.h"
#include "ops/lathe.h"
#include "ops/primitives.h"
#include "platform/profile.h"
#include "rules/shape_settings.h"
#include "tests/core/ops_fixtures.h"

namespace zarni {
namespace {

using opsfix::Sound;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zarni-shapes-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(ShapeSettings, MissingFileSectionOrKeyGivesTheDefaults) {
    TempFolder dir;
    const std::string other = dir.File("other.ini");
    Put(other, "[View]\nFovy=45\n[Extrude]\nfMinus=1\n[Lathe]\nType=1\n");
    for (const std::string& path : {dir.File("missing.ini"), other}) {
        const bool partial = path == other;
        const ExtrudeSettings e = LoadExtrudeSettings(path);
        EXPECT_EQ(e.minus, partial);
        EXPECT_EQ(e.axis, 3);
        EXPECT_FLOAT_EQ(e.length, 0.6f);
        const LatheSettings l = LoadLatheSettings(path);
        EXPECT_EQ(l.axis, 2);
        EXPECT_EQ(l.type, partial ? 1 : 0);
        EXPECT_EQ(l.partsCount, 1);
        EXPECT_EQ(l.divLevel, 4);
    }
    // The settings a new process holds before any dialog opened are the same defaults.
    const ExtrudeSettings e;
    EXPECT_EQ(e.minus, false);
    EXPECT_EQ(e.axis, 3);
    EXPECT_FLOAT_EQ(e.length, 0.6f);
    const LatheSettings l;
    EXPECT_EQ(l.axis, 2);
    EXPECT_EQ(l.type, 0);
    EXPECT_EQ(l.partsCount, 1);
    EXPECT_EQ(l.divLevel, 4);
}

TEST(ShapeSettings, ValuesAreReadAsTheFileHoldsThem) {
    TempFolder dir;
    const std::string path = dir.File("zarni.ini");
    Put(path,
        "[extrude]\nFMINUS=7\naxis=2\nLength=1234\n"
        "[Lathe]\nAxis=258\nType=3\nPartsCount=300\nDivLevel=260\n");
    const ExtrudeSettings e = LoadExtrudeSettings(path);
    EXPECT_TRUE(e.minus);  // any value but 0
    EXPECT_EQ(e.axis, 2);
    EXPECT_FLOAT_EQ(e.length, 1.234f);
    // Each lathe value is one byte; the division level is not clamped on reading.
    const LatheSettings l = LoadLatheSettings(path);
    EXPECT_EQ(l.axis, 2);
    EXPECT_EQ(l.type, 3);
    EXPECT_EQ(l.partsCount, 44);
    EXPECT_EQ(l.divLevel, 4);
    Put(path, "[Lathe]\nDivLevel=40\n[Extrude]\nAxis=9\n");
    EXPECT_EQ(LoadLatheSettings(path).divLevel, 40);
    EXPECT_EQ(LoadExtrudeSettings(path).axis, 9);
}

TEST(ShapeSettings, TheLengthShownIsTheLengthStored) {
    // A stored length in thousandths must come back as the same number in the edit box, or
    // every OK would shorten it.
    TempFolder dir;
    const std::string path = dir.File("zarni.ini");
    for (uint32_t stored = 1; stored <= 2000; ++stored) {
        Put(path, "[Extrude]\nLength=" + std::to_string(stored) + "\n");
        ASSERT_EQ(ExtrudeLengthShown(LoadExtrudeSettings(path).length), stored);
    }
    EXPECT_EQ(ExtrudeLengthShown(0.0f), 0u);
}

TEST(ShapeSettings, EditBoxNumbers) {
    EXPECT_EQ(DialogUnsigned("1234"), 1234u);
    EXPECT_EQ(DialogUnsigned("0"), 0u);
    EXPECT_EQ(DialogUnsigned(""), 0u);
    EXPECT_EQ(DialogUnsigned("12a"), 0u);
    EXPECT_EQ(DialogUnsigned("-5"), 0u);
    EXPECT_EQ(DialogUnsigned("4294967295"), 4294967295u);
    EXPECT_EQ(DialogUnsigned("4294967296"), 0u);
}

// ---------------------------------------------------------------------------------------------
// Confirming the dialogs

TEST(ShapeSettings, ExtrudeOkWritesItsKeysAndReadsBackTheSame) {
    TempFolder dir;
    const std::string path = dir.File("sub/zarni.ini");
    ExtrudeSettings s;
    ASSERT_TRUE(ConfirmExtrudeSettings(s, true, 2, 1234, path));
    EXPECT_TRUE(s.minus);
    EXPECT_EQ(s.axis, 2);
    EXPECT_FLOAT_EQ(s.length, 1.234f);
    EXPECT_EQ(GetProfileString("Extrude", "fMinus", "", path), "1");
    EXPECT_EQ(GetProfileString("Extrude", "Axis", "", path), "2");
    EXPECT_EQ(GetProfileString("Extrude", "Length", "", path), "1234");
    const ExtrudeSettings back = LoadExtrudeSettings(path);
    EXPECT_EQ(back.minus, s.minus);
    EXPECT_EQ(back.axis, s.axis);
    EXPECT_EQ(back.length, s.length);

    // No axis button on: the axis stays as it was and its key is not rewritten.
    Put(path, "[Extrude]\nAxis=7\n");
    ExtrudeSettings t = LoadExtrudeSettings(path);
    ASSERT_TRUE(ConfirmExtrudeSettings(t, false, 0, 0, path));
    EXPECT_EQ(t.axis, 7);
    EXPECT_EQ(t.length, 0.0f);
    EXPECT_EQ(GetProfileString("Extrude", "Axis", "", path), "7");
    EXPECT_EQ(GetProfileString("Extrude", "fMinus", "", path), "0");
    EXPECT_EQ(GetProfileString("Extrude", "Length", "", path), "0");
}

TEST(ShapeSettings, LatheDivisionLevelIsAByteKeptToThreeToEighteen) {
    EXPECT_EQ(LatheDivLevelFromTyped(2), 3);
    EXPECT_EQ(LatheDivLevelFromTyped(25), 18);
    EXPECT_EQ(LatheDivLevelFromTyped(260), 4);
    EXPECT_EQ(LatheDivLevelFromTyped(0), 3);
    EXPECT_EQ(LatheDivLevelFromTyped(3), 3);
    EXPECT_EQ(LatheDivLevelFromTyped(18), 18);
    EXPECT_EQ(LatheDivLevelFromTyped(256), 3);  // byte 0
    EXPECT_EQ(LatheDivLevelFromTyped(274), 18);
    EXPECT_EQ(LatheDivLevelFromTyped(275), 18);  // byte 19
    EXPECT_EQ(LatheByte(260), 4);
    EXPECT_EQ(LatheByte(255), 255);
}

TEST(ShapeSettings, LatheOkWritesItsKeysAndReadsBackTheSame) {
    TempFolder dir;
    const std::string path = dir.File("zarni.ini");
    Put(path, "[View]\r\nFovy=45\r\n");
    LatheSettings s;
    ASSERT_TRUE(ConfirmLatheSettings(s, 3, 1, 300, 25, path));
    EXPECT_EQ(s.axis, 3);
    EXPECT_EQ(s.type, 1);
    EXPECT_EQ(s.partsCount, 44);
    EXPECT_EQ(s.divLevel, 18);
    EXPECT_EQ(GetProfileString("Lathe", "Axis", "", path), "3");
    EXPECT_EQ(GetProfileString("Lathe", "Type", "", path), "1");
    EXPECT_EQ(GetProfileString("Lathe", "PartsCount", "", path), "44");
    EXPECT_EQ(GetProfileString("Lathe", "DivLevel", "", path), "18");
    EXPECT_EQ(GetProfileInt("View", "Fovy", 0, path), 45u);
    EXPECT_EQ(Get(path).rfind("[View]\r\nFovy=45\r\n", 0), 0u);
    const LatheSettings back = LoadLatheSettings(path);
    EXPECT_EQ(back.axis, 3);
    EXPECT_EQ(back.type, 1);
    EXPECT_EQ(back.partsCount, 44);
    EXPECT_EQ(back.divLevel, 18);

    // No radio button on: axis and type stay and are not written.
    LatheSettings t;
    t.axis = 200;
    t.type = 9;
    const std::string fresh = dir.File("fresh.ini");
    ASSERT_TRUE(ConfirmLatheSettings(t, 0, 5, 2, 2, fresh));
    EXPECT_EQ(t.axis, 200);
    EXPECT_EQ(t.type, 9);
    EXPECT_EQ(t.divLevel, 3);
    EXPECT_EQ(GetProfileString("Lathe", "Axis", "none", fresh), "none");
    EXPECT_EQ(GetProfileString("Lathe", "Type", "none", fresh), "none");
    EXPECT_EQ(GetProfileString("Lathe", "DivLevel", "", fresh), "3");
}

TEST(ShapeSettings, TheSettingsFileNamedByTheEnvironmentIsTheOneUsed) {
    TempFolder dir;
    const std::string path = dir.File("from-env.ini");
    const char* old = std::getenv("ZARNI_INI");
    const std::string saved = old ? old : "";
    setenv("ZARNI_INI", path.c_str(), 1);
    LatheSettings s;
    const bool written = ConfirmLatheSettings(s, 1, 0, 3, 9, SettingsPath());
    if (old) {
        setenv("ZARNI_INI", saved.c_str(), 1);
    } else {
        unsetenv("ZARNI_INI");
    }
    ASSERT_TRUE(written);
    const LatheSettings back = LoadLatheSettings(path);
    EXPECT_EQ(back.axis, 1);
    EXPECT_EQ(back.partsCount, 3);
    EXPECT_EQ(back.divLevel, 9);
}

// ---------------------------------------------------------------------------------------------
// What the lathe and the sweep make of the settings

// One straight curve from (1, 0, 0) to (2, 0, 0), both ends selected.
Document RadiusOneCurve() {
    Document doc = opsfix::DocWith([](PatchObject& obj) { opsfix::AddFreeCurve(obj, 1, 0, 2, 0); });
    doc.selectedAnchors = {0, 1};
    doc.activePoint = 1;
    return doc;
}

TEST(ShapeSettings, TypedDivisionLevelsGiveTheirStepAndArcHandle) {
    // Typed value, the division level kept, the handle factor of that many arcs per circle.
    const struct {
        uint32_t typed;
        int div;
        float k;
    } cases[] = {{3, 3, 0.768f},   {18, 18, 0.116f}, {2, 3, 0.768f},
                 {25, 18, 0.116f}, {260, 4, 0.552f}, {12, 12, 0.176f}};
    TempFolder dir;
    const std::string path = dir.File("zarni.ini");
    for (const auto& c : cases) {
        LatheSettings s;
        ASSERT_TRUE(ConfirmLatheSettings(s, 2, kLatheParts, 1, c.typed, path));
        Document doc = RadiusOneCurve();
        EditSwitches sw;
        LatheSelection(doc, sw, LoadLatheSettings(path));
        ASSERT_TRUE(Sound(doc));
        const PatchObject& obj = *doc.Current();
        ASSERT_EQ(obj.patchCount(), 1) << c.typed;
        const std::array<int32_t, 16> net = PatchNet(obj.segments, obj.patches[0]);
        // Turned by -360/div degrees about Y: x = cos, z = sin of the step.
        const double a = 2 * 3.14159265358979323846 / c.div;
        const ControlPoint& turned = obj.points[net[12]];
        EXPECT_NEAR(turned.x, std::cos(a), 1e-6) << c.typed;
        EXPECT_NEAR(turned.z, std::sin(a), 1e-6) << c.typed;
        // The side handle from (1, 0, 0) lies on the tangent +Z, k away.
        const ControlPoint& h = obj.points[net[4]];
        EXPECT_EQ(h.x, 1.0f);
        EXPECT_EQ(h.y, 0.0f);
        EXPECT_EQ(h.z, c.k) << c.typed;
    }
}

TEST(ShapeSettings, HandEditedAxesOutsideOneToThreeBuildNothing) {
    TempFolder dir;
    const std::string path = dir.File("zarni.ini");
    EditSwitches sw;
    for (const char* axis : {"0", "4", "-1", "1000"}) {
        Put(path,
            std::string("[Lathe]\nAxis=") + axis + "\nType=0\n[Extrude]\nAxis=" + axis + "\n");
        const LatheSettings lathe = LoadLatheSettings(path);
        ASSERT_FALSE(lathe.axis >= 1 && lathe.axis <= 3) << axis;
        for (uint8_t type : {kLatheClose, kLatheParts}) {
            Document doc = RadiusOneCurve();
            LatheSettings s = lathe;
            s.type = type;
            s.partsCount = 3;
            LatheSelection(doc, sw, s);
            EXPECT_TRUE(Sound(doc));
            EXPECT_EQ(doc.Current()->pointCount(), 4) << axis;
            EXPECT_EQ(doc.Current()->segmentCount(), 1) << axis;
            EXPECT_EQ(doc.selectedAnchors, (std::vector<int32_t>{0, 1})) << axis;
        }
        // The sweep with such an axis still builds, with every copy on its source.
        Document doc = RadiusOneCurve();
        ExtrudeSelection(doc, sw, LoadExtrudeSettings(path));
        ASSERT_TRUE(Sound(doc));
        EXPECT_EQ(doc.Current()->pointCount(), 16);
        for (const ControlPoint& p : doc.Current()->points) {
            EXPECT_EQ(p.y, 0.0f);
            EXPECT_EQ(p.z, 0.0f);
        }
    }
    // 258 is the byte 2: a valid Y axis.
    Put(path, "[Lathe]\nAxis=258\nType=1\n");
    Document doc = RadiusOneCurve();
    LatheSelection(doc, sw, LoadLatheSettings(path));
    EXPECT_TRUE(Sound(doc));
    EXPECT_EQ(doc.Current()->patchCount(), 1);
}

}  // namespace
}  // namespace zarni
