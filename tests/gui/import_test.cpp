// Curves brought into the program: a dropped SVG drawing and the Text dialog each add one new
// current object with its anchors selected, one step that Undo takes back; bad ones add nothing.
#include <wx/choice.h>
#include <wx/dnd.h>
#include <wx/menu.h>

#include <fstream>

#include "dialog_answers.h"
#include "formats/settings_file.h"
#include "gui_fixture.h"
#include "resources/ids.h"
#include "ui/text_dialog.h"

namespace zarni {
namespace {

class ImportGui : public GuiTest {
  protected:
    std::string WriteSvg(const std::string& name, const std::string& body) {
        const std::string path = Path(name);
        std::ofstream(path) << "<svg xmlns=\"http://www.w3.org/2000/svg\">" << body << "</svg>";
        return path;
    }

    static void Drop(wxWindow* target, const std::string& path) {
        wxArrayString names;
        names.Add(wxString::FromUTF8(path));
        static_cast<wxFileDropTarget*>(target->GetDropTarget())->OnDropFiles(0, 0, names);
    }

    // The new object is the last, current, and every one of its anchors is selected.
    static void ExpectNewCurrentObject(int objects) {
        const Document& doc = App().doc;
        ASSERT_EQ(doc.objectCount(), objects);
        EXPECT_EQ(doc.currentObject, objects - 1);
        const PatchObject& obj = doc.objects.back();
        EXPECT_GT(obj.segmentCount(), 0);
        std::vector<int32_t> anchors;
        for (int32_t i = 0; i < obj.pointCount(); ++i)
            if (obj.points[i].anchor < 0) anchors.push_back(i);
        EXPECT_EQ(doc.selectedAnchors, anchors);
        EXPECT_TRUE(doc.modified);
    }

    // Undo takes the object away as one step, Redo brings it back.
    void ExpectOneStep(MainFrame* frame, int objects) {
        wxMenuBar* bar = frame->GetMenuBar();
        ASSERT_TRUE(WaitUntil([&] { return bar->IsEnabled(kCmdUndo); }));
        Command(frame, kCmdUndo);
        EXPECT_TRUE(WaitUntil([&] { return App().doc.objectCount() == objects - 1; }));
        Command(frame, kCmdRedo);
        EXPECT_TRUE(WaitUntil([&] { return App().doc.objectCount() == objects; }));
    }
};

TEST_F(ImportGui, DroppedDrawingBecomesOneNewCurrentObject) {
    MainFrame* frame = Start();
    const std::string svg =
        WriteSvg("logo.svg", "<circle r=\"5\"/><rect width=\"4\" height=\"2\"/>");
    Drop(frame, svg);
    Pump(30);
    ExpectNewCurrentObject(2);
    EXPECT_EQ(App().doc.objects.back().segmentCount(), 8);  // four arcs and four sides
    ExpectOneStep(frame, 2);

    // Dropped on a view, the same.
    Drop(frame->views().view(0), svg);
    Pump(30);
    ExpectNewCurrentObject(3);
}

TEST_F(ImportGui, BadDrawingIsReportedAndAddsNothing) {
    MainFrame* frame = Start();
    const std::string broken = WriteSvg("broken.svg", "<path d=\"M0 0 L5 5\"/><g>");
    wxString text;
    wxTEST_DIALOG(
        {
            Drop(frame, broken);
            Pump(30);
        },
        ExpectNotice(&text));
    EXPECT_NE(text.utf8_string().find("broken.svg"), std::string::npos) << text;
    EXPECT_NE(text.utf8_string().find("not well-formed"), std::string::npos) << text;
    EXPECT_EQ(App().doc.objectCount(), 1);
    EXPECT_FALSE(App().doc.modified);
}

TEST_F(ImportGui, TextDialogAddsAnObjectThatUndoRemoves) {
    MainFrame* frame = Start();
    std::vector<std::string> fonts;
    wxTEST_DIALOG(Command(frame, kCmdText), AnswerDialog<TextDialog>([&](TextDialog* d) {
                      auto* font = Control<wxChoice>(d, kTextFontId);
                      if (font) fonts.push_back(font->GetStringSelection().utf8_string());
                      Type(d, kTextEditId, "Ab");
                      Type(d, kTextSizeId, "1.5");
                      return wxID_OK;
                  }));
    Pump(30);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0], "IPAPGothic");
    ExpectNewCurrentObject(2);
    // The larger side of the text is the size asked for.
    float minX = 1e9f, maxX = -1e9f;
    for (const ControlPoint& p : App().doc.objects.back().points)
        if (p.anchor < 0) minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    EXPECT_NEAR(maxX - minX, 1.5f, 1e-3f);
    // The choices are kept for the next time.
    const TextChoices kept = LoadTextChoices(App().settingsPath);
    EXPECT_EQ(kept.text, "Ab");
    EXPECT_EQ(kept.sizeThousandths, 1500);
    ExpectOneStep(frame, 2);

    // Reopened, the dialog shows them; Cancel adds nothing.
    std::string shown;
    wxTEST_DIALOG(Command(frame, kCmdText), AnswerDialog<TextDialog>([&](TextDialog* d) {
                      shown = EditText(d, kTextEditId) + "|" + EditText(d, kTextSizeId);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(shown, "Ab|1.5");
    EXPECT_EQ(App().doc.objectCount(), 2);
}

TEST_F(ImportGui, TextThatCannotBeSetIsReportedAndAddsNothing) {
    MainFrame* frame = Start();
    const TextChoices before = LoadTextChoices(App().settingsPath);
    const char* const bad[][2] = {{"   ", "2"}, {"Ab", "0"}, {"Ab", "big"}};
    for (const auto& entry : bad) {
        wxString text;
        wxTEST_DIALOG(Command(frame, kCmdText), AnswerDialog<TextDialog>([&](TextDialog* d) {
                          Type(d, kTextEditId, entry[0]);
                          Type(d, kTextSizeId, entry[1]);
                          return wxID_OK;
                      }),
                      ExpectNotice(&text));
        EXPECT_FALSE(text.empty()) << entry[0] << " " << entry[1];
        EXPECT_EQ(App().doc.objectCount(), 1);
        EXPECT_FALSE(App().doc.modified);
    }
    EXPECT_EQ(LoadTextChoices(App().settingsPath).text, before.text) << "nothing stored";
}

}  // namespace
}  // namespace zarni
