// The program's file dialogs: the desktop's chooser, which knows no path until it has been on
// screen. A dialog answered without being shown (a test hook) answers with the path set last.
#pragma once

#include <wx/filedlg.h>

namespace zarni {

// The chooser itself, the window the toolkit shows and the tests answer.
class FileChooser : public wxFileDialog {
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
    // A closed chooser waiting to be destroyed keeps nobody from quitting.
    bool ShouldPreventAppExit() const override { return false; }

  private:
    wxString lastSet_;
};

// A chooser used like a dialog on the stack. GTK's chooser goes on loading the folder it was
// pointed at after it closes, and a chooser destroyed at once has its late callbacks find its
// widgets gone; so a closed chooser is hidden and destroyed a few seconds later. It belongs to
// no window (it only stands in front of `parent`), so that a window closed meanwhile does not
// take it along before its time.
class FileDialog {
  public:
    FileDialog(wxWindow* parent, const wxString& message, const wxString& defaultDir,
               const wxString& defaultFile, const wxString& wildcard, long style);
    ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    void SetPath(const wxString& path) { chooser_->SetPath(path); }
    wxString GetPath() const { return chooser_->GetPath(); }
    void GetPaths(wxArrayString& paths) const { chooser_->GetPaths(paths); }
    void SetFilterIndex(int index) { chooser_->SetFilterIndex(index); }
    int GetFilterIndex() const { return chooser_->GetFilterIndex(); }
    int ShowModal() { return chooser_->ShowModal(); }
    operator wxFileDialog&() { return *chooser_; }

  private:
    FileChooser* chooser_;
};

}  // namespace zarni
