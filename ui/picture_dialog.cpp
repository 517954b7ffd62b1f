// The open dialog for background pictures: the desktop's file chooser with a preview pane that
// follows the selection.
#include "ui/picture_dialog.h"

#include <gtk/gtk.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <vector>

#include "ui/picture_preview.h"
#include "ui/app_state.h"
#include "ui/file_dialog.h"

namespace zarni {

namespace {

gboolean DrawPane(GtkWidget* widget, cairo_t* cr, gpointer data) {
    const auto* preview = static_cast<const PicturePreview*>(data);
    const PreviewPixels pane = preview->Pixels();
    (void)widget;
    if (pane.width <= 0 || pane.height <= 0) return TRUE;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, pane.width);
    std::vector<unsigned char> bytes(static_cast<size_t>(stride) * pane.height);
    for (int32_t y = 0; y < pane.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(&bytes[static_cast<size_t>(y) * stride]);
        const uint8_t* src = &pane.rgb[static_cast<size_t>(y) * pane.width * 3];
        for (int32_t x = 0; x < pane.width; ++x, src += 3)
            row[x] = (uint32_t{src[0]} << 16) | (uint32_t{src[1]} << 8) | src[2];
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(bytes.data(), CAIRO_FORMAT_RGB24,
                                                                   pane.width, pane.height, stride);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
    return TRUE;
}

void SelectionChanged(GtkFileChooser*, gpointer data) {
    static_cast<PicturePreview*>(data)->Update();
}

}  // namespace

PicturePreview::PicturePreview(wxFileDialog& dialog) {
    GtkWidget* handle = static_cast<GtkWidget*>(dialog.GetHandle());
    if (handle == nullptr || !GTK_IS_FILE_CHOOSER(handle)) return;
    chooser_ = GTK_FILE_CHOOSER(handle);
    pane_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(pane_, kPreviewPaneWidth, kPreviewPaneHeight);
    g_signal_connect(pane_, "draw", G_CALLBACK(DrawPane), this);
    gtk_file_chooser_set_preview_widget(chooser_, pane_);
    gtk_file_chooser_set_use_preview_label(chooser_, FALSE);
    // Shown from the start: dark grey until a readable picture is selected.
    gtk_file_chooser_set_preview_widget_active(chooser_, TRUE);
    updateHandler_ =
        g_signal_connect(chooser_, "update-preview", G_CALLBACK(SelectionChanged), this);
}

PicturePreview::~PicturePreview() {
    if (chooser_ == nullptr) return;
    g_signal_handler_disconnect(chooser_, updateHandler_);
    g_signal_handlers_disconnect_by_data(pane_, this);
}

void PicturePreview::Update() {
    if (chooser_ == nullptr) return;
    gchar* name = gtk_file_chooser_get_preview_filename(chooser_);
    Show(name != nullptr ? std::string(name) : std::string());
    g_free(name);
    // The pane stays up even for folders and unreadable files, which it shows dark grey.
    gtk_file_chooser_set_preview_widget_active(chooser_, TRUE);
}

void PicturePreview::Show(const std::string& path) {
    if (path == shownPath_ && !path.empty()) return;
    shownPath_ = path;
    picture_.reset();
    if (!path.empty() && !wxDirExists(wxString::FromUTF8(path))) {
        if (std::optional<BitmapImage> read = ReadBitmapFile(path)) {
            picture_ = read->bits == 24 ? std::move(*read) : ConvertTo24Bit(*read);
        }
    }
    if (pane_ != nullptr) gtk_widget_queue_draw(pane_);
}

PreviewPixels PicturePreview::Pixels() const {
    if (pane_ == nullptr) return {};
    const int width = gtk_widget_get_allocated_width(pane_);
    const int height = gtk_widget_get_allocated_height(pane_);
    return RenderPreview(picture_ ? &*picture_ : nullptr, width, height);
}

std::optional<std::string> ChooseBackPicture(wxWindow* owner) {
    FileDialogState& state = App().fileDialog;
    if (state.startDir.empty()) state.startDir = wxGetCwd().utf8_string();
    // Patterns are matched case by case here, so both spellings of the extension are listed.
    FileDialog dialog(owner, wxString::FromUTF8("Bitmap形式の画像を開く"),
                      wxString::FromUTF8(state.startDir), wxString(),
                      " Bitmap(*.bmp)|*.bmp;*.BMP| all|*",
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST | wxFD_MULTIPLE);
    if (!state.fileName.empty()) dialog.SetPath(wxString::FromUTF8(state.fileName));
    dialog.SetFilterIndex(0);
    std::optional<std::string> chosen;
    {
        // Let go of the chooser before the dialog goes.
        PicturePreview preview(dialog);
        if (dialog.ShowModal() != wxID_OK) return std::nullopt;
        wxArrayString paths;
        dialog.GetPaths(paths);
        if (paths.empty()) return std::nullopt;
        chosen = paths[0].utf8_string();
    }
    state.fileName = *chosen;
    return chosen;
}

}  // namespace zarni
