// The live preview pane of the picture open dialog, declared for the tests that drive it.
#pragma once

#include <optional>
#include <string>

#include "formats/bitmap.h"
#include "rules/preview_fit.h"

class wxFileDialog;
typedef struct _GtkFileChooser GtkFileChooser;
typedef struct _GtkWidget GtkWidget;

namespace zarni {

// Pane size asked of the chooser; it may be given more height.
constexpr int kPreviewPaneWidth = 120;
constexpr int kPreviewPaneHeight = 300;

// A pane beside the file list of the desktop's file chooser that shows the file under the
// selection, fitted and centred, or dark grey when that is no readable picture. It follows the
// selection while the dialog is open and lets go of the chooser when destroyed, so it must be
// destroyed before the dialog.
class PicturePreview {
  public:
    explicit PicturePreview(wxFileDialog& dialog);
    ~PicturePreview();
    PicturePreview(const PicturePreview&) = delete;
    PicturePreview& operator=(const PicturePreview&) = delete;

    // False when the dialog is not the desktop's chooser (no preview then).
    bool attached() const { return chooser_ != nullptr; }
    // The file the pane was last asked to show, and whether it could be read.
    const std::string& shownPath() const { return shownPath_; }
    bool hasPicture() const { return picture_.has_value(); }
    // The pane as it is drawn at its present size.
    PreviewPixels Pixels() const;

    // The chooser's selection changed (also called by tests).
    void Update();

  private:
    void Show(const std::string& path);

    GtkFileChooser* chooser_ = nullptr;
    GtkWidget* pane_ = nullptr;
    unsigned long updateHandler_ = 0;
    std::string shownPath_;
    std::optional<BitmapImage> picture_;  // 24 bits
};

}  // namespace zarni
