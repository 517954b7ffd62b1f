// The object list: the pop-up with its buttons, the pane that draws the rows into the row image
// and copies it while scrolling, the name box, picks, the colour and symmetry clicks, dropped
// files and the reopen lock.
#include "ui/object_list.h"

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dnd.h>
#include <wx/eventfilter.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "model/settings.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "ui/app_state.h"
#include "ui/document_commands.h"
#include "ui/hsv_dialog.h"
#include "ui/icon_bitmaps.h"
#include "ui/palette_strip.h"
#include "ui/symmetry_dialog.h"
#include "ui/tool_palette.h"
#include "ui/ui_font.h"
#include "ui/views.h"

namespace zarni {

namespace {

constexpr int kSymmetryIconId = 401;
constexpr int kNameBoxMargin = 1;  // the box sits one pixel into its row

ObjectListWindow* g_list = nullptr;

wxColour ButtonFace() {
    return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
}

// Byte colour of an object's red, green and blue floats, each truncated.
wxColour ObjectColour(const PatchObject& obj) {
    const uint32_t value = ColorValueFromFloats(obj.color[0], obj.color[1], obj.color[2]);
    return wxColour(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

uint32_t DoubleClickTime() {
    const int ms = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
    return ms > 0 ? static_cast<uint32_t>(ms) : 400u;
}

// Styles a widget and everything inside it with `css`, over the theme.
void Restyle(GtkWidget* widget, const char* css) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    struct Walk {
        static void Apply(GtkWidget* w, gpointer data) {
            gtk_style_context_add_provider(gtk_widget_get_style_context(w),
                                           GTK_STYLE_PROVIDER(data),
                                           GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
            if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), &Walk::Apply, data);
        }
    };
    if (widget) Walk::Apply(widget, provider);
    g_object_unref(provider);
}

// Makes a button's label font smaller until the button needs no more than `width` pixels.
void FitLabel(wxButton* button, int width) {
    GtkWidget* widget = button->GetHandle();
    GtkWidget* label = widget && GTK_IS_BIN(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (!label) return;
    const auto needed = [&] {
        int natural = 0;
        gtk_widget_get_preferred_width(widget, nullptr, &natural);
        return natural;
    };
    wxFont font = button->GetFont();
    while (needed() > width && font.GetFractionalPointSize() > 5.0) {
        font.SetFractionalPointSize(font.GetFractionalPointSize() - 0.5);
        button->SetFont(font);
    }
}

// A name typed into the box reaches its object before anything else the user does acts on
// the document: a press anywhere but in the box, a menu command or accelerator key, or a
// window's close box. Then the command's own history step starts from the renamed object.
class NameKeeper : public wxEventFilter {
  public:
    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type != wxEVT_MENU && type != wxEVT_CLOSE_WINDOW && type != wxEVT_LEFT_DOWN &&
            type != wxEVT_RIGHT_DOWN && type != wxEVT_MIDDLE_DOWN && type != wxEVT_LEFT_DCLICK &&
            type != wxEVT_RIGHT_DCLICK && type != wxEVT_MIDDLE_DCLICK) {
            return Event_Skip;
        }
        if (g_list && event.GetEventObject() != g_list->pane()->nameBox())
            g_list->pane()->SaveName();
        return Event_Skip;
    }
};

std::unique_ptr<NameKeeper> g_nameKeeper;

class ListDrop : public wxFileDropTarget {
  public:
    explicit ListDrop(ObjectListWindow* list) : list_(list) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        std::vector<std::string> paths;
        for (const wxString& name : names)
            paths.push_back(name.utf8_string());
        list_->OnFilesDropped(paths);
        return true;
    }

  private:
    ObjectListWindow* list_;
};

}  // namespace

// Pane ---------------------------------------------------------------------------------------

ObjectListPane::ObjectListPane(wxWindow* parent)
    : wxWindow(parent, kListPaneId, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxBORDER_SUNKEN,
               "ObjectListChild") {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(ButtonFace());
    nameBox_ =
        new wxTextCtrl(this, kListNameBoxId, wxEmptyString, wxPoint(kListNameLeft, kNameBoxMargin),
                       wxSize(kListNameWidth, kListNameHeight), wxBORDER_SIMPLE);
    nameBox_->SetFont(UiFont());
    nameBox_->Bind(wxEVT_TEXT, &ObjectListPane::OnNameTyped, this);
    nameBox_->Bind(wxEVT_KILL_FOCUS, &ObjectListPane::OnNameLeft, this);
    // A classic bar, always there while the rows do not fit, with the arrows that step a
    // line: the toolkit's overlay bar hides until hovered and has no arrows.
    if (GTK_IS_SCROLLED_WINDOW(GetHandle())) {
        GtkScrolledWindow* window = GTK_SCROLLED_WINDOW(GetHandle());
        gtk_scrolled_window_set_overlay_scrolling(window, FALSE);
        Restyle(gtk_scrolled_window_get_vscrollbar(window),
                "scrollbar { -GtkScrollbar-has-backward-stepper: true;"
                " -GtkScrollbar-has-forward-stepper: true; }");
    }
    Bind(wxEVT_PAINT, &ObjectListPane::OnPaint, this);
    Bind(wxEVT_SIZE, &ObjectListPane::OnSize, this);
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN, wxEVT_LEFT_DCLICK,
          wxEVT_RIGHT_DCLICK, wxEVT_MIDDLE_DCLICK}) {
        Bind(type, &ObjectListPane::OnMouseDown, this);
    }
    Bind(wxEVT_MOUSEWHEEL, &ObjectListPane::OnWheel, this);
    for (const wxEventTypeTag<wxScrollWinEvent>& type :
         {wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP,
          wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE,
          wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM}) {
        Bind(type, &ObjectListPane::OnScroll, this);
    }
    // Objects can come and go behind the list's back (files dropped on the main window).
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
        if (IsShownOnScreen()) RefreshIfStale();
        event.Skip();
    });
}

ObjectListPane::~ObjectListPane() {
    // The box outlives this part of the pane while the window is taken down.
    nameBox_->Unbind(wxEVT_KILL_FOCUS, &ObjectListPane::OnNameLeft, this);
}

void ObjectListPane::OnNameLeft(wxFocusEvent& event) {
    SaveName();
    event.Skip();
}

void ObjectListPane::RefreshFromDocument() {
    const Document& doc = App().doc;
    const int count = doc.objectCount();
    const int current = doc.currentObject;
    DrawRows(count, current);
    drawnCount_ = count;
    drawnCurrent_ = current;
    scroll_.Reset(count, GetClientSize().y);
    SetScrollBar();
    if (const PatchObject* obj = doc.Current()) {
        nameBox_->ChangeValue(wxString::FromUTF8(name_.Load(obj->name)));
        nameBox_->Show();
    } else {
        name_.Load(std::string());
        nameBox_->ChangeValue(wxEmptyString);
        nameBox_->Hide();
    }
    PlaceNameBox();
    ++refreshCount_;
    Refresh();
}

void ObjectListPane::RefreshIfStale() {
    const Document& doc = App().doc;
    if (drawnCount_ == doc.objectCount() && drawnCurrent_ == doc.currentObject) return;
    // What was typed still belongs to the object it was typed for.
    SaveName();
    RefreshFromDocument();
}

void ObjectListPane::DrawRows(int count, int current) {
    const std::vector<PatchObject>& objects = App().doc.objects;
    const int tileCount = ListTileCount(count);
    tiles_.resize(static_cast<size_t>(tileCount));
    const wxBrush white(*wxWHITE);
    const wxBrush highlight(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    const wxBitmap& icon = IconBitmap(kSymmetryIconId);
    const int currentRow = current >= 0 && current < count ? ListRowOfObject(count, current) : -1;
    for (int t = 0; t < tileCount; ++t) {
        const int height = ListTileHeight(count, t);
        wxBitmap& tile = tiles_[static_cast<size_t>(t)];
        if (!tile.IsOk() || tile.GetHeight() != height) tile = wxBitmap(kListRowWidth, height);
        wxMemoryDC dc(tile);
        dc.SetFont(UiFont());
        dc.SetPen(*wxBLACK_PEN);
        dc.SetTextForeground(*wxBLACK);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        const int firstRow = t * kListTileRows;
        const int rows = height / kListRowHeight;
        for (int k = 0; k < rows; ++k) {
            const int row = firstRow + k;
            const int y = k * kListRowHeight;
            const PatchObject& obj = objects[static_cast<size_t>(ListObjectOfRow(count, row))];
            // The current row's name is the name box's to show.
            const bool highlighted = row == currentRow;
            dc.SetBrush(highlighted ? highlight : white);
            dc.DrawRectangle(0, y, kListRowWidth, kListRowHeight);
            if (!highlighted)
                dc.DrawText(wxString::FromUTF8(Cp932ToUtf8(obj.name)), kListNameLeft,
                            y + kListTextTop);
            dc.SetBrush(wxBrush(ObjectColour(obj)));
            dc.DrawRectangle(kListSwatchLeft, y + 3, kListSwatchRight - kListSwatchLeft, 14);
        }
        if (currentRow >= firstRow && currentRow < firstRow + rows && icon.IsOk())
            dc.DrawBitmap(icon, kListIconLeft, (currentRow - firstRow) * kListRowHeight, true);
    }
}

void ObjectListPane::SetScrollBar() {
    // Rows that fit need no scroll bar; the toolkit would still shade the pane's lower edge
    // as if there were more below.
    if (scroll_.Scrollable())
        SetScrollbar(wxVERTICAL, scroll_.position, scroll_.page, scroll_.maximum);
    else
        SetScrollbar(wxVERTICAL, 0, 0, 0);
}

void ObjectListPane::PlaceNameBox() {
    const Document& doc = App().doc;
    if (!doc.HasActiveObject()) return;
    nameBox_->SetSize(kListNameLeft,
                      ListNameBoxTop(doc.objectCount(), doc.currentObject, scroll_.position),
                      kListNameWidth, kListNameHeight);
}

void ObjectListPane::SaveName() {
    if (!name_.Changed()) return;
    Document& doc = App().doc;
    // The box speaks for the object it was filled from. Objects only come behind the list's
    // back by appending, which keeps every index; with fewer objects it is gone.
    if (drawnCurrent_ < 0 || drawnCurrent_ >= doc.objectCount() || doc.objectCount() < drawnCount_)
        return;
    PatchObject& obj = doc.objects[static_cast<size_t>(drawnCurrent_)];
    if (obj.name != name_.Bytes()) {
        obj.name = name_.Bytes();
        DocumentChanged(doc, App().sw);
        RedrawPalette();
    }
    name_.Load(obj.name);
}

void ObjectListPane::OnNameTyped(wxCommandEvent&) {
    const std::string typed = nameBox_->GetValue().utf8_string();
    const ListNameFit fit = name_.Edit(typed);
    if (fit.text == typed) return;
    // Show what will be stored before it is stored.
    const long at = nameBox_->GetInsertionPoint();
    nameBox_->ChangeValue(wxString::FromUTF8(fit.text));
    nameBox_->SetInsertionPoint(std::min(at, nameBox_->GetLastPosition()));
    if (fit.replaced || fit.cut) {
        wxBell();
        nameBox_->SetToolTip(fit.replaced ? wxString::FromUTF8("Shift_JIS で表せない文字は ? "
                                                               "として保存されます")
                                          : wxString::FromUTF8("名前は 199 バイトまでです"));
    }
}

void ObjectListPane::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize client = GetClientSize();
    int bottom = 0;
    wxMemoryDC source;
    for (const ListTileCopy& copy : ListTileCopies(drawnCount_, scroll_.position, client.y)) {
        if (copy.tile >= static_cast<int>(tiles_.size())) break;
        source.SelectObjectAsSource(tiles_[static_cast<size_t>(copy.tile)]);
        dc.Blit(0, copy.destY, kListRowWidth, copy.height, &source, 0, copy.sourceY);
        bottom = copy.destY + copy.height;
    }
    source.SelectObject(wxNullBitmap);
    if (bottom < client.y) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(ButtonFace()));
        dc.DrawRectangle(0, bottom, client.x, client.y - bottom);
    }
}

void ObjectListPane::OnSize(wxSizeEvent& event) {
    if (drawnCount_ >= 0) {
        scroll_.Reset(drawnCount_, GetClientSize().y);
        SetScrollBar();
        PlaceNameBox();
        Refresh(false);
    }
    event.Skip();
}

void ObjectListPane::ScrollStep(ListScrollCode code, int thumb) {
    if (!scroll_.Apply(code, thumb)) return;
    Refresh(false);
    SetScrollBar();
    PlaceNameBox();
}

void ObjectListPane::OnScroll(wxScrollWinEvent& event) {
    if (event.GetOrientation() != wxVERTICAL) return;
    const wxEventType type = event.GetEventType();
    ListScrollCode code = ListScrollCode::Other;
    if (type == wxEVT_SCROLLWIN_LINEUP) code = ListScrollCode::LineUp;
    if (type == wxEVT_SCROLLWIN_LINEDOWN) code = ListScrollCode::LineDown;
    if (type == wxEVT_SCROLLWIN_PAGEUP) code = ListScrollCode::PageUp;
    if (type == wxEVT_SCROLLWIN_PAGEDOWN) code = ListScrollCode::PageDown;
    if (type == wxEVT_SCROLLWIN_THUMBTRACK) code = ListScrollCode::Track;
    ScrollStep(code, event.GetPosition());
    // The toolkit moved its thumb already; keep it where the rows are.
    if (code == ListScrollCode::Other) SetScrollBar();
}

void ObjectListPane::OnWheel(wxMouseEvent& event) {
    // A notch of the wheel moves a row.
    const int notches = event.GetWheelRotation() / std::max(event.GetWheelDelta(), 1);
    for (int i = 0; i < std::abs(notches); ++i)
        ScrollStep(notches < 0 ? ListScrollCode::PageDown : ListScrollCode::PageUp);
}

void ObjectListPane::OnMouseDown(wxMouseEvent& event) {
    Document& doc = App().doc;
    // A list drawn for other objects is brought up to date first; the click was aimed at
    // rows that are no longer there.
    if (drawnCount_ != doc.objectCount() || drawnCurrent_ != doc.currentObject) {
        RefreshIfStale();
        return;
    }
    const ListClick click = ListClickAt(doc.objectCount(), doc.currentObject, event.GetX(),
                                        event.GetY(), scroll_.position);
    switch (click.kind) {
        case ListClickKind::PickRow:
            SaveName();
            doc.currentObject = click.object;
            ClearPointSelection(doc);
            doubleClick_.Forget();
            RefreshFromDocument();
            RedrawAllViews();
            RedrawPalette();
            break;
        case ListClickKind::Swatch:
        case ListClickKind::SymmetryIcon:
        case ListClickKind::CurrentRow:
            ClickCurrent(click);
            break;
        case ListClickKind::Nothing:
            break;
    }
}

void ObjectListPane::ClickCurrent(const ListClick& click) {
    Document& doc = App().doc;
    auto* list = static_cast<ObjectListWindow*>(GetParent());
    SetFocus();
    if (click.kind == ListClickKind::Swatch) {
        SaveName();
        PatchObject* obj = doc.Current();
        if (!obj) return;
        const uint32_t before = ColorValueFromFloats(obj->color[0], obj->color[1], obj->color[2]);
        const uint32_t after = ChooseColorHSV(list, before);
        obj = doc.Current();
        if (obj && after != before) {
            const std::array<float, 3> rgb = ColorFromValue(after);
            std::copy(rgb.begin(), rgb.end(), obj->color.begin());  // alpha stays
            DocumentChanged(doc, App().sw);
        }
        RefreshFromDocument();
        RedrawAllViews();
        // The dialog came between this click and the next: no double click spans it.
        doubleClick_.Forget();
        return;
    }
    if (click.kind == ListClickKind::SymmetryIcon) {
        ShowSymmetryDialog(list);
        doubleClick_.Forget();
        return;
    }
    if (doubleClick_.Press(TickCount(), DoubleClickTime())) {
        doubleClick_.Forget();
        list->HideList();
    }
}

// Pop-up -------------------------------------------------------------------------------------

ObjectListWindow::ObjectListWindow(wxFrame* mainFrame)
    : wxFrame(mainFrame, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR | wxFRAME_FLOAT_ON_PARENT | wxBORDER_NONE,
              "ObjectListWindow"),
      main_(mainFrame),
      lockTimer_(this) {
    SetBackgroundColour(ButtonFace());
    static const char* const kLabels[5] = {"New", "Append", "Delete", "Merge", "BG"};
    for (int i = 0; i < 5; ++i) {
        buttons_[i] = new wxButton(this, kListNewId + i, kLabels[i], wxDefaultPosition,
                                   wxSize(40, 20), wxBU_EXACTFIT);
        buttons_[i]->SetFont(UiFont());
        // The theme's padding would leave "Append" no room in 40 pixels; where the font is
        // still too wide the label is drawn smaller.
        Restyle(buttons_[i]->GetHandle(),
                "button { padding-left: 1px; padding-right: 1px; min-width: 0; }");
        FitLabel(buttons_[i], 40);
    }
    buttons_[1]->Disable();  // appending is done by dropping files
    pane_ = new ObjectListPane(this);
    buttons_[0]->Bind(wxEVT_BUTTON, &ObjectListWindow::OnNew, this);
    buttons_[2]->Bind(wxEVT_BUTTON, &ObjectListWindow::OnDelete, this);
    buttons_[3]->Bind(wxEVT_BUTTON, &ObjectListWindow::OnMerge, this);
    buttons_[4]->Bind(wxEVT_BUTTON, &ObjectListWindow::OnBackground, this);
    Bind(wxEVT_PAINT, &ObjectListWindow::OnPaint, this);
    Bind(wxEVT_TIMER, &ObjectListWindow::OnTimer, this, lockTimer_.GetId());
    SetDropTarget(new ListDrop(this));
    pane_->SetDropTarget(new ListDrop(this));
    // The name box takes the files as the rest of the list does; the toolkit would type a
    // dragged file's address into the name.
    pane_->nameBox()->SetDropTarget(new ListDrop(this));
}

ObjectListWindow::~ObjectListWindow() {
    lockTimer_.Stop();
    if (g_list == this) g_list = nullptr;
}

wxButton* ObjectListWindow::button(int id) const {
    const int i = id - kListNewId;
    return i >= 0 && i < 5 ? buttons_[i] : nullptr;
}

void ObjectListWindow::PlaceChildren() {
    const wxSize client = GetClientSize();
    pane_->SetSize(4, 34, kListRowWidth, std::max(client.y - 40, 0));
    static const int kLefts[5] = {4, 44, 84, 124, 174};
    for (int i = 0; i < 5; ++i)
        buttons_[i]->SetSize(kLefts[i], 4, 40, 20);
}

void ObjectListWindow::ShowList() {
    if (locked_) return;
    const wxPoint at = main_->ClientToScreen(wxPoint(0, PaletteStrip::kHeight));
    const int height = std::max(main_->GetClientSize().y - PaletteStrip::kHeight, 0);
    SetSize(at.x, at.y, kWidth, height);
    Document& doc = App().doc;
    if (doc.currentObject < 0 && doc.objectCount() > 0) {
        // Back from BG: the object that was current is current again.
        doc.currentObject = std::min(-doc.currentObject - 1, doc.objectCount() - 1);
        RedrawPalette();
        RedrawAllViews();
    }
    PlaceChildren();
    Show();
    Raise();
    pane_->RefreshFromDocument();
    visible_ = true;
}

void ObjectListWindow::HideList() {
    if (locked_ || !visible_) return;
    pane_->SaveName();
    Hide();
    visible_ = false;
    locked_ = true;
    lockTimer_.StartOnce(kReopenLockMs);
    RedrawAllViews();
}

void ObjectListWindow::Toggle() {
    if (!visible_) {
        ShowList();
    } else {
        HideList();
        RedrawAllViews();
    }
}

void ObjectListWindow::OnTimer(wxTimerEvent&) {
    locked_ = false;
}

void ObjectListWindow::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(wxRect(GetClientSize()));
}

void ObjectListWindow::AfterEdit() {
    pane_->RefreshFromDocument();
    RedrawAllViews();
    RedrawPalette();
    // The pop-up keeps the focus, never the next button: Return after New must not delete.
    pane_->SetFocus();
}

void ObjectListWindow::OnNew(wxCommandEvent&) {
    Document& doc = App().doc;
    pane_->SaveName();
    CreateObject(doc);
    DocumentChanged(doc, App().sw);
    AfterEdit();
}

void ObjectListWindow::OnDelete(wxCommandEvent&) {
    Document& doc = App().doc;
    pane_->SaveName();
    // The last object stays, and then nothing changed.
    if (doc.HasActiveObject() && doc.objectCount() > 1) {
        DeleteCurrentObject(doc, App().sw);
        DocumentChanged(doc, App().sw);
    }
    AfterEdit();
}

void ObjectListWindow::OnMerge(wxCommandEvent&) {
    Document& doc = App().doc;
    pane_->SaveName();
    // The first object has nothing before it to join.
    if (doc.HasActiveObject() && doc.currentObject > 0) {
        JoinWithPrevious(doc, App().sw);
        DocumentChanged(doc, App().sw);
    }
    AfterEdit();
}

void ObjectListWindow::OnBackground(wxCommandEvent&) {
    Document& doc = App().doc;
    if (!doc.HasActiveObject()) return;
    // What was typed is kept before the object goes inactive.
    pane_->SaveName();
    doc.currentObject = -doc.currentObject - 1;
    ClearPointSelection(doc);
    HideList();
    DocumentChanged(doc, App().sw);
    RedrawPalette();
}

void ObjectListWindow::OnFilesDropped(const std::vector<std::string>& paths) {
    pane_->SaveName();
    AppendDroppedFiles(this, paths);
    AfterEdit();
}

// Module -------------------------------------------------------------------------------------

void CreateObjectList(wxFrame* mainFrame) {
    if (g_list) return;
    g_list = new ObjectListWindow(mainFrame);
    g_nameKeeper = std::make_unique<NameKeeper>();
    wxEvtHandler::AddFilter(g_nameKeeper.get());
    g_toggleObjectList = [] {
        if (g_list) g_list->Toggle();
    };
}

void DestroyObjectList() {
    g_toggleObjectList = nullptr;
    if (g_nameKeeper) {
        wxEvtHandler::RemoveFilter(g_nameKeeper.get());
        g_nameKeeper.reset();
    }
    if (!g_list) return;
    ObjectListWindow* list = g_list;
    g_list = nullptr;
    list->Destroy();
}

void HideObjectList() {
    if (g_list) g_list->HideList();
}

ObjectListWindow* TheObjectList() {
    return g_list;
}

}  // namespace zarni
