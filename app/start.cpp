// Start-up: creates the main window, the palette strip and the object list, hands the main
// window the dialogs it opens, and reads the files named on the command line.
#include "app/start.h"

#include <wx/app.h>
#include <wx/filefn.h>

#include "rules/file_names.h"
#include "ui/app_state.h"
#include "ui/document_commands.h"
#include "ui/main_frame.h"
#include "ui/object_list.h"
#include "ui/preferences.h"
#include "ui/render_window.h"
#include "ui/text_dialog.h"
#include "ui/tool_palette.h"
#include "ui/version_dialog.h"

namespace zarni {

MainFrame* StartProgram(const std::vector<std::string>& arguments) {
    AppState& app = App();
    app.mainCaption = BuildMainCaption();
    auto* frame = new MainFrame();
    frame->SetPalette(CreateToolPalette(frame));
    CreateObjectList(frame);
    MainFrame::AttachedWindows& windows = frame->windows;
    windows.preferences = ShowPreferences;
    windows.version = [](wxWindow* owner) { ShowVersionDialog(owner); };
    windows.text = [](wxWindow* owner) { AddTextWithDialog(owner); };
    windows.render = [](wxWindow* owner) { ShowRenderWindow(owner); };
    windows.closeRender = CloseRenderWindow;
    windows.hideObjectList = HideObjectList;
    windows.destroyObjectList = DestroyObjectList;
    frame->FinishStartUp();

    HandleCommandLine(
        arguments, wxGetCwd().utf8_string(), [] { return !WindowUntouched(); },
        [frame](const std::string& path) { OpenCommandLineFile(frame, path); },
        [](const std::vector<std::string>& rest) {
            if (App().startInstance) App().startInstance(rest);
        });
    frame->Show();
    frame->Update();
    frame->CallAfter([frame] { frame->OfferRecovery(); });
    if (wxTheApp) wxTheApp->SetTopWindow(frame);
    return frame;
}

}  // namespace zarni
