// The colour dialog on screen, answered with real pointer events from inside its modal loop:
// clicks on the hue bar and in the square, the side panel, OK and Cancel, and the two settings
// written on both.
#include <wx/button.h>
#include <wx/spinctrl.h>
#include <wx/uiaction.h>

#include <functional>

#include "gui_fixture.h"
#include "platform/profile.h"
#include "ui/hsv_dialog.h"
#include "ui/hsv_dialog_window.h"

namespace zarni {
namespace {

HsvDialog* OpenHsvDialog() {
    for (wxWindow* w : wxTopLevelWindows) {
        if (auto* d = dynamic_cast<HsvDialog*>(w); d && d->IsModal()) return d;
    }
    return nullptr;
}

int Field(HsvDialog* d, int id) {
    auto* field = dynamic_cast<wxSpinCtrl*>(d->FindWindow(id));
    EXPECT_NE(field, nullptr) << "field " << id;
    return field ? field->GetValue() : -1;
}

class HsvDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ini_ = Path("zarni.ini");
        App().settingsPath = ini_;
    }

    uint32_t Stored(const char* key) { return GetProfileInt(kHsvSection, key, 9999, ini_); }

    // Runs ChooseColorHSV on `colour`; `drive` runs inside the dialog's modal loop once the
    // dialog is on screen and must end it. A dialog left open is cancelled, so a failing step
    // cannot hang the run.
    uint32_t Choose(uint32_t colour, std::function<void(HsvDialog*)> drive) {
        wxTheApp->CallAfter([drive] {
            HsvDialog* d = nullptr;
            const bool shown = WaitUntil([&] {
                d = OpenHsvDialog();
                return d != nullptr && d->IsShownOnScreen();
            });
            EXPECT_TRUE(shown) << "the dialog did not appear";
            if (!shown) {
                if (d) d->EndModal(wxID_ABORT);
                return;
            }
            Pump(100);  // let the first paint and the window placement settle
            drive(d);
            if (!WaitUntil([&] { return !d->IsModal(); }, 5.0)) {
                ADD_FAILURE() << "the dialog stayed open";
                d->EndModal(wxID_ABORT);
            }
        });
        return ChooseColorHSV(nullptr, colour);
    }

    // A left click at a client position of the dialog, as the pointer gives it.
    void ClickAt(HsvDialog* d, wxPoint client) {
        sim_.MouseMove(d->ClientToScreen(client));
        Pump(30);
        sim_.MouseClick();
        Pump(30);
    }

    void ClickButton(HsvDialog* d, int id) {
        wxWindow* button = d->FindWindow(id);
        ASSERT_NE(button, nullptr) << "button " << id;
        ASSERT_TRUE(WaitUntil([&] { return button->IsShownOnScreen(); })) << "button " << id;
        const wxRect r = button->GetRect();
        ClickAt(d, r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
    }

    std::string ini_;
    wxUIActionSimulator sim_;
};

TEST_F(HsvDialogTest, OkReturnsTheColourPickedOnTheBarAndInTheSquareAndStoresTheSettings) {
    ASSERT_TRUE(WriteProfileInt(kHsvSection, kHsvDivKey, 7, ini_));
    int openH = -1, openS = -1, openV = -1;
    int barH = -1, squareS = -1, squareV = -1;
    bool expandedBefore = true, expandedAfter = false;
    wxSize collapsed, expanded;
    int namedWidth = 0;
    HsvState chosen;
    const uint32_t result = Choose(ColourValue(255, 0, 0), [&](HsvDialog* d) {
        openH = Field(d, kHsvHueId);
        openS = Field(d, kHsvSaturationId);
        openV = Field(d, kHsvValueId);
        expandedBefore = d->Expanded();
        collapsed = d->GetClientSize();

        ClickAt(d, {130, 4});  // hue bar: H = 120
        WaitUntil([&] { return Field(d, kHsvHueId) == 120; });
        barH = Field(d, kHsvHueId);
        ClickAt(d, {137, 79});  // square: S = 127, V = 255 - 55
        WaitUntil([&] { return Field(d, kHsvSaturationId) == 127; });
        squareS = Field(d, kHsvSaturationId);
        squareV = Field(d, kHsvValueId);

        ClickButton(d, kHsvExpandId);
        WaitUntil([&] { return d->Expanded(); });
        expandedAfter = d->Expanded();
        expanded = d->GetClientSize();
        namedWidth = d->FindWindow(kHsvNamedId)->GetSize().x;
        chosen = d->State();
        ClickButton(d, wxID_OK);
    });
    EXPECT_EQ(openH, 0);
    EXPECT_EQ(openS, 255);
    EXPECT_EQ(openV, 255);
    EXPECT_EQ(barH, 120);
    EXPECT_EQ(squareS, 127);
    EXPECT_EQ(squareV, 200);
    EXPECT_FALSE(expandedBefore);
    EXPECT_TRUE(expandedAfter);
    EXPECT_GE(collapsed.x, kHsvClientWidth);
    EXPECT_EQ(expanded.x, collapsed.x + kHsvExpandedWidth - kHsvClientWidth);
    EXPECT_EQ(namedWidth, 99) << "the named colours' box keeps its width";
    EXPECT_GE(collapsed.y, kHsvClientHeight);

    const RgbColour want = HsvToRgb(120, 127 / 255.0f, 200 / 255.0f);
    EXPECT_EQ(result,
              ColourValue(ChannelByte(want.red), ChannelByte(want.green), ChannelByte(want.blue)));
    EXPECT_EQ(result, chosen.Result());
    EXPECT_EQ(Stored(kHsvExpandKey), 1u);
    EXPECT_EQ(Stored(kHsvDivKey), 7u);
}

TEST_F(HsvDialogTest, CancelReturnsTheColourPassedInYetStoresTheSettings) {
    ASSERT_TRUE(WriteProfileInt(kHsvSection, kHsvExpandKey, 1, ini_));
    const uint32_t passed = ColourValue(12, 34, 200);
    bool openedExpanded = false;
    int hueBefore = -1, hueAfter = -1;
    uint32_t shown = passed;
    const uint32_t result = Choose(passed, [&](HsvDialog* d) {
        openedExpanded = d->Expanded();
        hueBefore = Field(d, kHsvHueId);
        ClickButton(d, kHsvComplementId);
        WaitUntil([&] { return Field(d, kHsvHueId) != hueBefore; });
        hueAfter = Field(d, kHsvHueId);
        ClickAt(d, {60, 200});  // in the square
        WaitUntil([&] { return d->Result() != passed; });
        shown = d->Result();
        ClickButton(d, wxID_CANCEL);
    });
    EXPECT_TRUE(openedExpanded);
    EXPECT_EQ(hueAfter, (hueBefore + 180) % 360);
    EXPECT_NE(shown, passed) << "the clicks changed the colour in the dialog";
    EXPECT_EQ(result, passed);
    EXPECT_EQ(Stored(kHsvExpandKey), 1u);
    EXPECT_EQ(Stored(kHsvDivKey), 12u) << "the default n";
}

}  // namespace
}  // namespace zarni
