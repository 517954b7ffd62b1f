// Closed file choosers wait a few seconds, hidden, before they are destroyed.
#include "ui/file_dialog.h"

#include <wx/timer.h>

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
// destroyed with its parent first leaves the list through its destroy event.
class Retirement : public wxTimer {
  public:
    void Add(FileChooser* chooser) {
        chooser->Bind(wxEVT_DESTROY, [this, chooser](wxWindowDestroyEvent& event) {
            if (event.GetEventObject() == chooser) Forget(chooser);
            event.Skip();
        });
        // A parent that goes first takes its waiting choosers with it, while it still exists.
        if (wxWindow* parent = chooser->GetParent()) {
            parent->Bind(wxEVT_DESTROY, [this, parent](wxWindowDestroyEvent& event) {
                if (event.GetEventObject() == parent) DestroyChildrenOf(parent);
                event.Skip();
            });
        }
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
    void DestroyChildrenOf(wxWindow* parent) {
        std::vector<FileChooser*> children;
        for (const Retired& r : retired_)
            if (r.chooser->GetParent() == parent) children.push_back(r.chooser);
        for (FileChooser* chooser : children) {
            Forget(chooser);
            delete chooser;
        }
        if (retired_.empty()) Stop();
    }
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
    : chooser_(new FileChooser(parent, message, defaultDir, defaultFile, wildcard, style)) {}

FileDialog::~FileDialog() {
    chooser_->Hide();
    TheRetirement().Add(chooser_);
}

}  // namespace zarni
