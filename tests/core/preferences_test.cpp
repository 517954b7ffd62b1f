// The preferences sheet's rules: what the pages open with, what OK applies and writes for the
// pages that were shown, and lengths in tenths that come back as typed.
#include <gtest/gtest.h>

#include <string>

#include "formats/settings_file.h"
#include "model/document.h"
#include "model/settings.h"
#include "platform/profile.h"
#include "rules/preferences_rules.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

using testing_files::Get;
using testing_files::Put;
using testing_files::TempFolder;

TEST(PreferenceTenths, EveryNumberTypedComesBackAsTyped) {
    // Every number the boxes take, through the float the program holds, back to the box.
    for (uint32_t typed = 0; typed < 10'000'000; ++typed) {
        const float held = LengthOfTenths(typed);
        ASSERT_EQ(TenthsShown(held), typed) << typed;
    }
    // The numbers whose tenths lie just below the integer in a float.
    for (uint32_t typed : {7u, 9u, 13u, 14u, 18u, 87u}) {
        EXPECT_LT(10.0 * static_cast<double>(LengthOfTenths(typed)), typed);
    }
    // Values from a hand-edited file.
    EXPECT_EQ(TenthsShown(-3.0f), 0u);
    EXPECT_EQ(TenthsShown(1e12f), 4294967295u);
}

TEST(PreferencePages, OpenWithThePresentValues) {
    Settings s;
    s.defaultAltitude = LengthOfTenths(87);
    s.axesSize = LengthOfTenths(7);
    s.fovy = 45.0f;
    s.synchronize = 0;
    s.wireColor = ColorFromValue(0x010203);
    const ViewPageValues v = ViewPageFrom(s);
    EXPECT_EQ(v.altitudeTenths, 87u);
    EXPECT_EQ(v.axesSizeTenths, 7u);
    EXPECT_EQ(v.fovy, 45u);
    EXPECT_FALSE(v.synchronize);
    EXPECT_EQ(v.colors[kPrefBack], static_cast<uint32_t>(kDefaultBackColor));
    EXPECT_EQ(v.colors[kPrefWire], 0x010203u);
    EXPECT_EQ(v.colors[kPrefHandle], static_cast<uint32_t>(kDefaultHandleColor));
    EXPECT_EQ(v.colors[kPrefOtherObject], static_cast<uint32_t>(kDefaultOtherObjectColor));

    // Bit 1 turns the button handles off; the other two turn their options on.
    for (int32_t flags = 0; flags < 8; ++flags) {
        const ControlPageValues c = ControlPageFrom(flags);
        EXPECT_EQ(c.buttonHandle, (flags & 1) == 0);
        EXPECT_EQ(c.minimumDrawing, (flags & 2) != 0);
        EXPECT_EQ(c.show3DPos, (flags & 4) != 0);
        EXPECT_EQ(ControlFlagsOf(c), flags);
    }
    EditSwitches sw;
    sw.backPictureVisible = 1;
    EXPECT_TRUE(BackPicturePageFrom(sw).visible);
}

class PreferenceApply : public ::testing::Test {
  protected:
    TempFolder dir;
    std::string ini = dir.File("zarni.ini");
    Settings settings;
    EditSwitches sw;
    Document doc = NewDocument();
    float fovyInUse = 30.0f;
    PreferenceTargets Targets() { return {settings, sw, doc, fovyInUse}; }
};

TEST_F(PreferenceApply, OkWithOnlyTheViewPageWritesItsKeysAndNothingElse) {
    Put(ini, "[Control]\nFlags=4\n");
    PreferencePages pages;
    pages.view = ViewPageFrom(settings);
    pages.view->colors[kPrefHandle] = 0x0000FF;  // red
    pages.view->altitudeTenths = 87;
    pages.view->fovy = 200;  // outside the range: held to 179, as the next start would
    pages.view->axesSizeTenths = 25;
    pages.view->synchronize = false;

    const PreferenceOutcome out = ApplyPreferences(pages, Targets(), ini);
    EXPECT_TRUE(out.written);
    EXPECT_FALSE(out.documentChanged);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(Get(ini),
              "[Control]\nFlags=4\n\n[View]\nBackColor=2965282\nWireColor=10718537\n"
              "HandleColor=255\nOtherObjectColor=3700329\nDefaultAltitude=87\nFovy=179\n"
              "AxesSize=25\nfSynchronize=0\n");
    EXPECT_EQ(settings.handleColor, ColorFromValue(255));
    EXPECT_EQ(settings.backColorRGBA[3], 1.0f);
    EXPECT_EQ(settings.defaultAltitude, LengthOfTenths(87));
    EXPECT_EQ(settings.axesSize, 2.5f);
    EXPECT_EQ(settings.synchronize, 0);
    EXPECT_EQ(fovyInUse, 179.0f);
    EXPECT_EQ(settings.controlFlags, 0);  // the control page was not shown

    // The next opening shows what was typed, and so does the next start-up.
    EXPECT_EQ(ViewPageFrom(settings).altitudeTenths, 87u);
    EXPECT_EQ(ViewPageFrom(LoadSettings(ini)).altitudeTenths, 87u);
}

TEST_F(PreferenceApply, TypedNumbersAreHeldToTheRangesTheSettingsAreReadWith) {
    struct Case {
        uint32_t altitude, fovy, axes;
        float heldAltitude, heldFovy, heldAxes;
    };
    for (const Case& c : {Case{0, 0, 0, 0.1f, 1.0f, 0.0f}, Case{1, 1, 1, 0.1f, 1.0f, 0.1f},
                          Case{4294967295u, 4294967295u, 4294967295u, 999999.9f, 179.0f, 999999.9f},
                          Case{90, 179, 10, 9.0f, 179.0f, 1.0f}}) {
        SCOPED_TRACE(c.fovy);
        PreferencePages pages;
        pages.view = ViewPageFrom(settings);
        pages.view->altitudeTenths = c.altitude;
        pages.view->fovy = c.fovy;
        pages.view->axesSizeTenths = c.axes;
        ApplyPreferences(pages, Targets(), ini);
        EXPECT_FLOAT_EQ(settings.defaultAltitude, c.heldAltitude);
        EXPECT_EQ(settings.fovy, c.heldFovy);
        EXPECT_EQ(fovyInUse, c.heldFovy);
        EXPECT_FLOAT_EQ(settings.axesSize, c.heldAxes);
        EXPECT_TRUE(SettingsInRange(settings));
        // What was stored reads back as what is in use.
        EXPECT_EQ(LoadSettings(ini).fovy, c.heldFovy);
    }
    EXPECT_EQ(HeldPictureRatio(0), 32);
    EXPECT_EQ(HeldPictureRatio(150), 150);
    EXPECT_EQ(HeldPictureRatio(4294967295u), 1000);
}

TEST_F(PreferenceApply, ThePictureAndControlPagesApplyOnlyWhenShown) {
    PreferencePages pages;
    pages.view = ViewPageFrom(settings);
    pages.control = ControlPageValues{false, true, false};
    const PreferenceOutcome out = ApplyPreferences(pages, Targets(), ini);
    EXPECT_TRUE(out.documentChanged);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(settings.controlFlags, kControlNoButtonHandle | kControlMinimumDrawing);
    EXPECT_EQ(GetProfileString("Control", "Flags", "none", ini), "3");
    EXPECT_EQ(GetProfileString("BackPicture", "Visible", "none", ini), "none");

    // The picture page's visibility box is stored and used.
    doc.modified = false;
    pages.control.reset();
    pages.backPicture = BackPicturePageValues{true};
    ApplyPreferences(pages, Targets(), ini);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(sw.backPictureVisible, 1);
    EXPECT_EQ(settings.backPictureVisible, 1);
    EXPECT_EQ(GetProfileString("BackPicture", "Visible", "none", ini), "1");
    EXPECT_EQ(LoadSettings(ini).backPictureVisible, 1);
    pages.backPicture->visible = false;
    ApplyPreferences(pages, Targets(), ini);
    EXPECT_EQ(sw.backPictureVisible, 0);
    EXPECT_EQ(GetProfileString("BackPicture", "Visible", "none", ini), "0");
}

TEST_F(PreferenceApply, AFileThatCannotBeWrittenIsReportedAndTheValuesStillApply) {
    PreferencePages pages;
    pages.view = ViewPageFrom(settings);
    pages.view->fovy = 60;
    pages.control = ControlPageValues{true, false, true};
    const PreferenceOutcome out = ApplyPreferences(pages, Targets(), dir.Path());  // a folder
    EXPECT_FALSE(out.written);
    EXPECT_EQ(settings.fovy, 60.0f);
    EXPECT_EQ(settings.controlFlags, kControlShow3DPos);
}

}  // namespace
}  // namespace zarni
