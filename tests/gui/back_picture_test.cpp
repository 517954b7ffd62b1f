// Background pictures in the real views: a picture loaded into a slot shows in the view that
// looks along its direction, one texture serves the four views' shared contexts, and a document
// whose pictures are missing opens with one message that lists them.
#include <GL/gl.h>
#include <GL/glu.h>
#include <wx/msgdlg.h>

#include <array>
#include <string>

#include "../core/bmp_writer.h"
#include "gui_fixture.h"
#include "ui/back_pictures.h"
#include "ui/views.h"
#include "view_wait.h"

namespace zarni {
namespace {

using namespace testing_files;

using BackPictures = GuiTest;

class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
  public:
    explicit ExpectMessage(wxString* text) : text_(text) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override {
        *text_ = dialog->GetMessage();
        return wxID_OK;
    }

  private:
    wxString* text_;
};

// Four views, laid out and drawn at their sizes, pictures shown.
void ShowFourViews(ViewSet& views) {
    if (!views.fourViews()) views.ToggleViewLayout();
    App().sw.backPictureVisible = 1;
    views.RedrawAllViews();
    ASSERT_TRUE(WaitUntil([&] {
        for (int i = 0; i < views.viewCount(); ++i)
            if (views.view(i)->ProjectionPending()) return false;
        return !views.RedrawPending();
    }));
    views.RedrawAllViews();
    views.FlushRedraws();
}

// The colour the view shows at a model point, read from its last picture (the software renderer
// keeps the back buffer as it was swapped).
std::array<int, 3> ViewPixel(ViewSet& views, int i, Vec3 p) {
    views.MakeCurrent(i);
    const ViewCamera& c = views.view(i)->camera;
    const GLint vp[4] = {c.viewport[0], c.viewport[1], c.viewport[2], c.viewport[3]};
    GLdouble x = 0, y = 0, z = 0;
    gluProject(p.x, p.y, p.z, c.modelview.data(), c.projection.data(), vp, &x, &y, &z);
    uint8_t px[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glReadPixels(static_cast<GLint>(x), static_cast<GLint>(y), 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    return {{px[0], px[1], px[2]}};
}

std::array<int, 3> Of(Rgb8 c) {
    return {{c[0], c[1], c[2]}};
}

constexpr int kFrontView = 2;  // the four-view layout's lower left view looks from the front

TEST_F(BackPictures, APictureLoadedIntoTheFrontSlotShowsInTheViewsAndGoesWhenCleared) {
    MainFrame* frame = Start();
    ViewSet& views = frame->views();
    AppState& app = App();
    const std::string bmp = Path("front.bmp");
    WriteQuarterBmp(bmp, 300, 150);
    std::string why;
    ASSERT_TRUE(LoadBackPicture(app.doc, kBackFront, bmp, &why)) << why;
    ShowFourViews(views);

    ASSERT_EQ(views.view(kFrontView)->camera.viewIndex, kBackFront);
    EXPECT_EQ(ViewPixel(views, kFrontView, {-0.8f, 0.4f, -2}), Of(kTopLeft));
    EXPECT_EQ(ViewPixel(views, kFrontView, {0.8f, -0.4f, -2}), Of(kBottomRight));
    for (int i = 0; i < ViewSet::kViews; ++i) {
        EXPECT_TRUE(views.view(i)->sharesObjects()) << i;
        EXPECT_EQ(&views.view(i)->textures(), &views.view(0)->textures()) << i;
    }
    EXPECT_EQ(views.view(0)->textures().uploads(), 1u) << "one upload for every view";

    // A new picture replaces the old one and its texture.
    const std::string other = Path("other.bmp");
    WriteQuarterBmp(other, 150, 300);
    ASSERT_TRUE(LoadBackPicture(app.doc, kBackFront, other, &why)) << why;
    ShowFourViews(views);
    EXPECT_EQ(views.view(0)->textures().size(), 1u);
    EXPECT_EQ(ViewPixel(views, kFrontView, {-0.4f, 0.8f, -2}), Of(kTopLeft));

    // A chosen file that is no picture: the reader says why, the slot keeps the name.
    const std::string broken = Path("broken.bmp");
    std::ofstream(broken) << "not a picture";
    EXPECT_FALSE(LoadBackPicture(app.doc, kBackFront, broken, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(app.doc.backPictures[kBackFront].fileName, broken);
    ShowFourViews(views);
    EXPECT_EQ(views.view(0)->textures().size(), 0u);
    EXPECT_NE(ViewPixel(views, kFrontView, {-0.4f, 0.8f, -2}), Of(kTopLeft));

    ASSERT_TRUE(LoadBackPicture(app.doc, kBackFront, bmp, &why));
    ClearBackPictureSlot(app.doc, kBackFront);
    ShowFourViews(views);
    EXPECT_EQ(app.doc.backPictures[kBackFront].fileName, "");
    EXPECT_NE(ViewPixel(views, kFrontView, {-0.8f, 0.4f, -2}), Of(kTopLeft));
}

TEST_F(BackPictures, OpeningADocumentReportsItsMissingPicturesInOneMessage) {
    WriteQuarterBmp(Path("front.bmp"), 300, 150);
    Document doc = NewDocument();
    // Written on another machine: found beside the document under its file name.
    doc.backPictures[kBackFront].fileName = "C:\\Pictures\\front.bmp";
    doc.backPictures[kBackBack].fileName = "/nowhere/back.bmp";
    doc.backPictures[kBackTop].fileName = "C:\\Pictures\\top.bmp";
    const std::string path = Path("scene.zarni");
    ASSERT_EQ(WriteDocumentFile(doc, path), kFileOk);

    wxString text;
    MainFrame* frame = nullptr;
    wxTEST_DIALOG(frame = Start({path}), ExpectMessage(&text));
    ASSERT_NE(frame, nullptr);
    const std::string message = text.utf8_string();
    EXPECT_NE(message.find("/nowhere/back.bmp"), std::string::npos) << message;
    EXPECT_NE(message.find("C:\\Pictures\\top.bmp"), std::string::npos) << message;
    EXPECT_EQ(message.find("front.bmp"), std::string::npos) << message;

    const Document& opened = App().doc;
    for (int k = 0; k < kBackSlotCount; ++k)
        EXPECT_EQ(opened.backPictures[k].fileName, doc.backPictures[k].fileName) << k;
    ASSERT_NE(opened.backPictures[kBackFront].picture, nullptr);
    ShowFourViews(frame->views());
    EXPECT_EQ(ViewPixel(frame->views(), kFrontView, {0.8f, 0.4f, -2}), Of(kTopRight));
}

}  // namespace
}  // namespace zarni
