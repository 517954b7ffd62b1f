// Closed file choosers wait a few seconds, hidden, before they are destroyed.
#include "ui/file_dialog.h"

#include <gtk/gtk.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace zarni {

namespace {

constexpr auto kGrace = std::chrono::seconds(3);

struct Retired {
    FileChooser* chooser;
    std::chrono::steady_clock::time_point at;
};

// The closed choosers and the timer that destroys them once their grace is over. A chooser
// destroyed otherwise (at the program's end) leaves the list through its destroy event.
class Retirement : public wxTimer {
  public:
    void Add(FileChooser* chooser) {
        chooser->Bind(wxEVT_DESTROY, [this, chooser](wxWindowDestroyEvent& event) {
            if (event.GetEventObject() == chooser) Forget(chooser);
            event.Skip();
        });
        retired_.push_back({chooser, std::chrono::steady_clock::now()});
        if (!IsRunning()) Start(1000);
    }
    void Notify() override {
        const auto now = std::chrono::steady_clock::now();
        std::vector<FileChooser*> due;
        for (const Retired& r : retired_)
            if (now - r.at >= kGrace) due.push_back(r.chooser);
        for (FileChooser* chooser : due) {
            Forget(chooser);
            chooser->Destroy();
        }
        if (retired_.empty()) Stop();
    }

  private:
    void Forget(FileChooser* chooser) {
        retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                      [chooser](const Retired& r) { return r.chooser == chooser; }),
                       retired_.end());
    }
    std::vector<Retired> retired_;
};

Retirement& TheRetirement() {
    static Retirement* retirement = new Retirement;  // outlives every window
    return *retirement;
}

}  // namespace

FileDialog::FileDialog(wxWindow* parent, const wxString& message, const wxString& defaultDir,
                       const wxString& defaultFile, const wxString& wildcard, long style)
    : chooser_(new FileChooser(nullptr, message, defaultDir, defaultFile, wildcard, style)) {
    if (wxWindow* top = parent ? wxGetTopLevelParent(parent) : nullptr) {
        GtkWindow* window = GTK_WINDOW(chooser_->GetHandle());
        gtk_window_set_transient_for(window, GTK_WINDOW(top->GetHandle()));
        gtk_window_set_destroy_with_parent(window, FALSE);
    }
}

FileDialog::~FileDialog() {
    chooser_->Hide();
    // The toolkit's dialog made without a parent still names the application's top window as
    // its own, without being among that window's children: once that window is gone the name
    // would point at nothing when the chooser is destroyed.
    chooser_->SetParent(nullptr);
    TheRetirement().Add(chooser_);
}

}  // namespace zarni
