// The accelerator keys of the main window, caught before any window of the program sees the
// key, so that they work wherever the focus is; modal dialogs keep their own keys.
#include "shell/key_filter.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/window.h>

#include <memory>

#include "resources/main_menu.h"

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

class AcceleratorFilter : public wxEventFilter {
  public:
    explicit AcceleratorFilter(wxWindow* mainWindow) : main_(mainWindow) {}
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() != wxEVT_CHAR_HOOK) return Event_Skip;
        if (ModalDialogOpen()) return Event_Skip;
        auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (window) {
            auto* dialog = dynamic_cast<wxDialog*>(wxGetTopLevelParent(window));
            if (dialog && dialog->IsModal()) return Event_Skip;
        }
        const auto& key = static_cast<wxKeyEvent&>(event);
        const int command = AcceleratorCommand(key.GetKeyCode(), key.RawControlDown(),
                                               key.ShiftDown(), key.AltDown());
        if (command == 0) return Event_Skip;
        auto* frame = dynamic_cast<wxFrame*>(main_);
        wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
        if (bar && bar->FindItem(command) && !bar->IsEnabled(command)) return Event_Skip;
        // Posted, not sent: Exit destroys windows whose key handler may be running now.
        main_->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, command));
        return Event_Processed;
    }

  private:
    wxWindow* main_;
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

bool ModalDialogOpen() {
    return Counter().depth > 0;
}

}  // namespace zarni
