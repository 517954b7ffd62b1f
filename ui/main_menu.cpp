// The main menu bar and the accelerator keys of the main window.
#include "ui/main_menu.h"

#include "resources/ids.h"

namespace zarni {

wxMenuBar* CreateMainMenuBar() {
    auto* file = new wxMenu;
    file->Append(kCmdNew, "&New");
    file->Append(kCmdOpen, "&Open...\tF2");
    file->Append(kCmdCloseAndOpen, "&Close and Open");
    file->Append(kCmdAppend, "&Append");
    file->AppendSeparator();
    file->Append(kCmdSaveAs, "&SaveAs...");
    file->Append(kCmdExport, "Ex&Port");
    file->AppendSeparator();
    file->Append(kCmdExit, "e&Xit");

    auto* model = new wxMenu;
    model->Append(kCmdCircle4, "Circle(4pt)");
    model->Append(kCmdCircle8, "Cirvle(8pt)");
    model->Append(kCmdSphere, "Sphere");
    model->Append(kCmdText, "Text...");

    auto* edit = new wxMenu;
    edit->Append(kCmdUndo, "&Undo");
    edit->Append(kCmdRedo, "&Redo");
    edit->AppendSeparator();
    edit->Append(kCmdCut, "Cut");
    edit->Append(kCmdCopy, "&Copy");
    edit->Append(kCmdPaste, "&Paste");
    edit->AppendSeparator();
    edit->AppendSubMenu(model, "Model");
    for (int id : {kCmdUndo, kCmdRedo})
        edit->Enable(id, false);

    auto* other = new wxMenu;
    other->Append(kCmdPreference, "&Preference");
    other->AppendSeparator();
    other->Append(kCmdHelp, "&Help\tF1");
    other->Append(kCmdVersion, "&Version Info");
    other->Append(kCmdRender, "&Render\tF5");

    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
    bar->Append(other, "&Other");
    return bar;
}

std::vector<wxAcceleratorEntry> MainAcceleratorEntries() {
    return {
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_F1, kCmdHelp),
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_F2, kCmdOpen),
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_F3, kCmdSaveAs),
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_F5, kCmdRender),
        wxAcceleratorEntry(wxACCEL_NORMAL, WXK_ESCAPE, kCmdExit),
        wxAcceleratorEntry(wxACCEL_CTRL, 'X', kCmdExit),
        wxAcceleratorEntry(wxACCEL_CTRL, 'O', kCmdOpen),
        wxAcceleratorEntry(wxACCEL_CTRL, 'S', kCmdSave),
        wxAcceleratorEntry(wxACCEL_CTRL, 'Z', kCmdUndo),
        wxAcceleratorEntry(wxACCEL_CTRL, 'Y', kCmdRedo),
        wxAcceleratorEntry(wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', kCmdRedo),
    };
}

int AcceleratorCommand(int keyCode, bool ctrl, bool shift, bool alt) {
    for (const wxAcceleratorEntry& e : MainAcceleratorEntries()) {
        const int flags = e.GetFlags();
        if (((flags & wxACCEL_CTRL) != 0) != ctrl) continue;
        if (((flags & wxACCEL_SHIFT) != 0) != shift) continue;
        if (((flags & wxACCEL_ALT) != 0) != alt) continue;
        const int key = e.GetKeyCode();
        if (key == keyCode || (key >= 'A' && key <= 'Z' && keyCode == key - 'A' + 1) ||
            (key >= 'A' && key <= 'Z' && keyCode == key + ('a' - 'A'))) {
            return e.GetCommand();
        }
    }
    return 0;
}

}  // namespace zarni
