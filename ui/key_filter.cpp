// The accelerator keys of the main window, caught before any window of the program sees the
// key, so that they work wherever the focus is; modal dialogs and open menus keep their own keys.
#include "ui/key_filter.h"

#include <gtk/gtk.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "resources/ids.h"
#include "ui/main_menu.h"
#include "ui/render_window.h"

namespace zarni {

namespace {

// Counts the modal dialogs that are open, native ones included.
class ModalCounter : public wxModalDialogHook {
  public:
    int depth = 0;

  protected:
    int Enter(wxDialog*) override {
        ++depth;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {
        if (depth > 0) --depth;
    }
};

// The menus of the program that are open, innermost last. A menu opened with the mouse does
// not always get the keyboard: GTK may deliver its keys to the window under the menu, where they
// would run the accelerators through the menu (Esc would exit instead of closing the menu).
class OpenMenus {
  public:
    void Opened(wxMenu* menu) {
        if (menu && std::find(menus_.begin(), menus_.end(), menu) == menus_.end())
            menus_.push_back(menu);
    }
    void Closed(wxMenu* menu) {
        menus_.erase(std::remove(menus_.begin(), menus_.end(), menu), menus_.end());
    }
    void Clear() { menus_.clear(); }
    // Whether a menu is on screen; a menu that went away without its close event is dropped.
    bool Any() {
        menus_.erase(std::remove_if(menus_.begin(), menus_.end(),
                                    [](wxMenu* m) {
                                        return !m->m_menu || !gtk_widget_get_visible(m->m_menu);
                                    }),
                     menus_.end());
        return !menus_.empty();
    }
    // What Esc does in a menu: closes the innermost one; the last one lets go of the menu bar.
    void CloseInnermost() {
        if (!Any()) return;
        GtkWidget* item = gtk_menu_get_attach_widget(GTK_MENU(menus_.back()->m_menu));
        GtkWidget* shell = item ? gtk_widget_get_parent(item) : nullptr;
        if (shell && GTK_IS_MENU_BAR(shell)) {
            gtk_menu_shell_cancel(GTK_MENU_SHELL(shell));
        } else if (shell && GTK_IS_MENU_SHELL(shell)) {
            gtk_menu_shell_deselect(GTK_MENU_SHELL(shell));
        } else {
            gtk_menu_shell_cancel(GTK_MENU_SHELL(menus_.back()->m_menu));
        }
    }

  private:
    std::vector<wxMenu*> menus_;
};

class AcceleratorFilter : public wxEventFilter {
  public:
    explicit AcceleratorFilter(wxWindow* mainWindow) : main_(mainWindow) {}
    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_MENU_OPEN) menus_.Opened(static_cast<wxMenuEvent&>(event).GetMenu());
        if (type == wxEVT_MENU_CLOSE) menus_.Closed(static_cast<wxMenuEvent&>(event).GetMenu());
        if (type != wxEVT_CHAR_HOOK) return Event_Skip;
        if (ModalDialogOpen()) return Event_Skip;
        const auto& key = static_cast<wxKeyEvent&>(event);
        if (menus_.Any()) {
            // Nothing acts behind an open menu; Esc does what it does in the menu.
            if (key.GetKeyCode() == WXK_ESCAPE) menus_.CloseInnermost();
            return Event_Processed;
        }
        auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (window) {
            auto* dialog = dynamic_cast<wxDialog*>(wxGetTopLevelParent(window));
            if (dialog && dialog->IsModal()) return Event_Skip;
        }
        // The render window's Esc cancels its render; it does not leave the program.
        if (key.GetKeyCode() == WXK_ESCAPE && InRenderWindow(window)) return Event_Skip;
        const int command = AcceleratorCommand(key.GetKeyCode(), key.RawControlDown(),
                                               key.ShiftDown(), key.AltDown());
        if (command == 0) return Event_Skip;
        // A text box keeps its own undo.
        if ((command == kCmdUndo || command == kCmdRedo) && dynamic_cast<wxTextCtrl*>(window))
            return Event_Skip;
        auto* frame = dynamic_cast<wxFrame*>(main_);
        wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
        if (bar && bar->FindItem(command) && !bar->IsEnabled(command)) return Event_Skip;
        // Posted, not sent: Exit destroys windows whose key handler may be running now.
        main_->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, command));
        return Event_Processed;
    }
    bool MenuOpen() { return menus_.Any(); }

  private:
    wxWindow* main_;
    OpenMenus menus_;
};

std::unique_ptr<AcceleratorFilter>& FilterSlot() {
    static std::unique_ptr<AcceleratorFilter> filter;
    return filter;
}

// Never destroyed: wx keeps the hook in a list of its own until the process ends. It is
// registered before main runs, so it is the oldest hook: wx asks the newest hooks first and stops
// at one that answers a dialog itself (the GUI tests' dialog hook does), and a counter asked
// before such a hook would count a dialog whose end it never hears of.
ModalCounter& Counter() {
    static ModalCounter* counter = [] {
        auto* c = new ModalCounter;
        c->Register();
        return c;
    }();
    return *counter;
}

[[maybe_unused]] const bool kCounterRegistered = (Counter(), true);

}  // namespace

void InstallKeyFilter(wxWindow* mainWindow) {
    RemoveKeyFilter();
    FilterSlot() = std::make_unique<AcceleratorFilter>(mainWindow);
    wxEvtHandler::AddFilter(FilterSlot().get());
}

void RemoveKeyFilter() {
    if (FilterSlot()) {
        wxEvtHandler::RemoveFilter(FilterSlot().get());
        FilterSlot().reset();
    }
}

bool MenuOpen() {
    return FilterSlot() && FilterSlot()->MenuOpen();
}

bool ModalDialogOpen() {
    return Counter().depth > 0;
}

}  // namespace zarni
