// The object list ("ObjectListWindow"): a drop-down tool window below the palette's object tab
// with five buttons and the scrolling pane of rows ("ObjectListChild") in which the user picks
// the current object, renames it, and opens its colour and symmetry settings.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <cstdint>
#include <string>
#include <vector>

#include "rules/object_list.h"

class wxButton;
class wxTextCtrl;

namespace zarni {

// Control ids of the list.
enum ObjectListIds : int {
    kListPaneId = 250,
    kListNewId = 251,
    kListAppendId = 252,
    kListDeleteId = 253,
    kListMergeId = 254,
    kListBackgroundId = 255,
    kListNameBoxId = 251,  // inside the pane
};

// The pane: every row drawn once into the row image by a refresh; painting and scrolling only
// copy the image at the scroll position.
class ObjectListPane : public wxWindow {
  public:
    explicit ObjectListPane(wxWindow* parent);
    ~ObjectListPane() override;

    // Rebuilds the row image, the scroll bar and the name box from the document.
    void RefreshFromDocument();
    // Stores the name box into the object it shows when the user changed it; the list does
    // so before any other press, menu command, key command or close acts.
    void SaveName();
    // One scroll bar step, as the scroll bar or the wheel sends it.
    void ScrollStep(ListScrollCode code, int thumb = 0);
    // Refreshes when the document's object count or current object moved since the last one.
    void RefreshIfStale();

    const ListScroll& scroll() const { return scroll_; }
    wxTextCtrl* nameBox() const { return nameBox_; }
    // The row image's tiles, for tests that read what was drawn.
    const std::vector<wxBitmap>& rowImage() const { return tiles_; }
    uint64_t refreshCount() const { return refreshCount_; }

  private:
    void DrawRows(int count, int current);
    void PlaceNameBox();
    void SetScrollBar();
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseDown(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnNameTyped(wxCommandEvent& event);
    // The box lost the focus: what was typed is stored.
    void OnNameLeft(wxFocusEvent& event);
    // The click on the current row: colour, symmetry, and the double click that closes.
    void ClickCurrent(const ListClick& click);

    wxTextCtrl* nameBox_ = nullptr;
    ListNameEdit name_;
    ListScroll scroll_;
    ListDoubleClick doubleClick_;
    std::vector<wxBitmap> tiles_;
    int drawnCount_ = -1;
    int drawnCurrent_ = -1;
    uint64_t refreshCount_ = 0;
    bool filling_ = false;  // the name box is being filled from the object
};

class ObjectListWindow : public wxFrame {
  public:
    static constexpr int kWidth = 252;
    static constexpr int kReopenLockMs = 500;

    explicit ObjectListWindow(wxFrame* mainFrame);
    ~ObjectListWindow() override;

    // Shows the list below the palette's object tab; nothing while the reopen lock holds.
    void ShowList();
    // Stores the name and hides the list; nothing while the reopen lock holds. After hiding,
    // the list can be neither shown nor hidden for 500 ms.
    void HideList();
    // The palette's object tab: shows a hidden list, hides a shown one.
    void Toggle();

    bool visible() const { return visible_; }
    bool reopenLocked() const { return locked_; }
    ObjectListPane* pane() const { return pane_; }
    wxButton* button(int id) const;

    // Files dropped on the list are appended to the document.
    void OnFilesDropped(const std::vector<std::string>& paths);

  private:
    void PlaceChildren();
    void OnPaint(wxPaintEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnNew(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnMerge(wxCommandEvent& event);
    void OnBackground(wxCommandEvent& event);
    // What New, Delete, Merge and a drop end with.
    void AfterEdit();

    wxFrame* main_;
    ObjectListPane* pane_ = nullptr;
    wxButton* buttons_[5] = {};
    wxTimer lockTimer_;
    bool visible_ = false;
    bool locked_ = false;
};

// Creates the list of the main window (start-up, after the palette) and hands the palette its
// toggle; destroys it (exit, after the hint window).
void CreateObjectList(wxFrame* mainFrame);
void DestroyObjectList();
// The main window got the focus back: the list hides.
void HideObjectList();
// The list, or null before it exists and after it is gone.
ObjectListWindow* TheObjectList();

}  // namespace zarni
