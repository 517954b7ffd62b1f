// The object list's rules without a display: which row shows which object, what a click on the
// pane hits, the scroll position and where the name box sits, the tiles of the row image, the
// double click on the current row, and names between the stored Shift_JIS bytes and the text
// the name box edits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zarni {

constexpr int kListRowHeight = 22;
constexpr int kListRowWidth = 240;
constexpr int kListLineStep = 3;
constexpr int kListPageStep = 22;
// The colour swatch and the symmetry icon of a row, in pane pixels.
constexpr int kListSwatchLeft = 5, kListSwatchRight = 45;
constexpr int kListIconLeft = 206, kListIconRight = 222;
// The name box: left edge, size, and the name text's position in other rows.
constexpr int kListNameLeft = 50, kListNameWidth = 125, kListNameHeight = 20;
constexpr int kListTextTop = 3;
// The longest name the name box stores.
constexpr size_t kListNameBytes = 199;
// Rows per tile of the row image. One image for all rows would be taller than an X pixmap
// may be (32767 pixels) from 1,490 objects on, and a paint that copies from a small tile
// costs less than one from a tall image.
constexpr int kListTileRows = 32;

// Row r (0 at the top) shows object count - 1 - r: the last object is on top. The same
// mapping takes an object to its row.
constexpr int ListRowOfObject(int count, int object) {
    return count - 1 - object;
}
constexpr int ListObjectOfRow(int count, int row) {
    return count - 1 - row;
}

// Whether row `row` is drawn highlighted: it shows the current object. With no object active
// (`current` negative) no row is.
bool ListRowHighlighted(int count, int current, int row);

// What a mouse press on the pane does.
enum class ListClickKind {
    PickRow,       // another object becomes current
    Swatch,        // the current object's colour
    SymmetryIcon,  // the current object's symmetry settings
    CurrentRow,    // anywhere else on the current row or below the last row
    Nothing,       // below the rows while no object is active
};

struct ListClick {
    ListClickKind kind = ListClickKind::Nothing;
    int object = -1;  // the object picked, or the current object the click acts on
};

// A press at pane client point (x, y) with the pane scrolled to `scrollPos`.
ListClick ListClickAt(int count, int current, int x, int y, int scrollPos);

enum class ListScrollCode { LineUp, LineDown, PageUp, PageDown, Track, Other };

// The pane's vertical scroll bar: maximum 22 a row, the page is the pane's client height, the
// position is in pixels from the top, kept within 0 .. maximum - page.
struct ListScroll {
    int maximum = 0;
    int page = 0;
    int position = 0;

    // After a refresh: the rows of `count` objects in a pane `pageHeight` high; a position
    // beyond the new end (fewer rows, a taller pane) comes back to it.
    void Reset(int count, int pageHeight);
    // Whether the rows are taller than the page.
    bool Scrollable() const { return page <= maximum; }
    // One scroll bar event; `thumb` is the thumb position while tracking. Returns whether the
    // position moved.
    bool Apply(ListScrollCode code, int thumb);
    // The top of row `row` in pane client pixels.
    int RowTop(int row) const { return row * kListRowHeight - position; }
};

// The name box's top in pane client pixels: on the current object's row, one pixel down.
int ListNameBoxTop(int count, int current, int scrollPos);

// One piece of the row image to copy to the pane: rows [firstRow, firstRow + rows) of tile
// `tile`, which starts at row tile * kListTileRows, to pane y `destY`.
struct ListTileCopy {
    int tile = 0;
    int sourceY = 0;  // in the tile's pixels
    int height = 0;
    int destY = 0;
};

// How many tiles the row image of `count` rows takes, and how tall tile `tile` is.
int ListTileCount(int count);
int ListTileHeight(int count, int tile);
// The copies that fill a pane `pageHeight` high at `scrollPos`; none past the last row.
std::vector<ListTileCopy> ListTileCopies(int count, int scrollPos, int pageHeight);

// Two presses on the current row within the double-click time close the list. Only presses
// handled on the current row are timed; picking another row forgets the last one, so a double
// click on another row only makes it current.
class ListDoubleClick {
  public:
    // A press handled on the current row at `now` (milliseconds, wrapping). Returns whether it
    // closes the list; it is remembered either way.
    bool Press(uint32_t now, uint32_t doubleClickTime);
    void Forget() { timed_ = false; }

  private:
    bool timed_ = false;
    uint32_t last_ = 0;
};

// A name as the name box edits it. The object keeps Shift_JIS bytes; the box shows UTF-8
// text. The box is filled from the stored bytes, and what it holds is stored back only when
// the user changed it, so bytes the text cannot show (a broken name from a file) and names
// longer than the box stores survive a look at the list.
struct ListNameFit {
    std::string bytes;      // what would be stored: at most kListNameBytes, never half a character
    std::string text;       // those bytes as text: what the box must show
    bool replaced = false;  // a character Shift_JIS cannot hold became '?'
    bool cut = false;       // the text was longer than kListNameBytes and lost its end
};

// The bytes that text typed into the name box would be stored as.
ListNameFit FitListName(const std::string& utf8);

class ListNameEdit {
  public:
    // Fills the box from an object's stored name; returns the text to show.
    const std::string& Load(const std::string& storedBytes);
    // The user typed `utf8`. Returns what the box must show: `utf8` itself, or the stored
    // form when a character cannot be stored or the name is too long.
    ListNameFit Edit(const std::string& utf8);
    // Whether the box holds something other than what it was filled with.
    bool Changed() const { return changed_; }
    // The bytes to store: the loaded ones while unchanged.
    const std::string& Bytes() const { return bytes_; }
    const std::string& Text() const { return text_; }

  private:
    std::string bytes_;
    std::string text_;
    bool changed_ = false;
};

}  // namespace zarni
