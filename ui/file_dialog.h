// The program's file dialogs: the desktop's chooser, which knows no path until it has been on
// screen. A dialog answered without being shown (a test hook) answers with the path set last.
#pragma once

#include <wx/filedlg.h>

namespace zarni {

class FileDialog : public wxFileDialog {
  public:
    using wxFileDialog::wxFileDialog;
    void SetPath(const wxString& path) override {
        wxFileDialog::SetPath(path);
        lastSet_ = path;
    }
    wxString GetPath() const override {
        const wxString path = wxFileDialog::GetPath();
        return path.empty() ? lastSet_ : path;
    }
    void GetPaths(wxArrayString& paths) const override {
        wxFileDialog::GetPaths(paths);
        if (paths.empty() && !lastSet_.empty()) paths.Add(lastSet_);
    }

  private:
    wxString lastSet_;
};

}  // namespace zarni
