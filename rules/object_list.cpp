// The object list's rules without a display: rows, clicks, scrolling, tiles, the double click
// and the name box's conversions.
#include "rules/object_list.h"

#include <algorithm>

#include "platform/cp932.h"

namespace zarni {

bool ListRowHighlighted(int count, int current, int row) {
    return current >= 0 && current < count && row == ListRowOfObject(count, current);
}

ListClick ListClickAt(int count, int current, int x, int y, int scrollPos) {
    const int along = y + scrollPos;
    const bool active = current >= 0 && current < count;
    if (along >= 0) {
        const int row = along / kListRowHeight;
        if (row < count) {
            const int object = ListObjectOfRow(count, row);
            if (object != current) return {ListClickKind::PickRow, object};
        }
    }
    if (!active) return {};
    if (x < kListSwatchRight) return {ListClickKind::Swatch, current};
    if (kListIconLeft < x && x < kListIconRight) return {ListClickKind::SymmetryIcon, current};
    return {ListClickKind::CurrentRow, current};
}

void ListScroll::Reset(int count, int pageHeight) {
    maximum = kListRowHeight * std::max(count, 0);
    page = std::max(pageHeight, 0);
    position = std::clamp(position, 0, std::max(maximum - page, 0));
}

bool ListScroll::Apply(ListScrollCode code, int thumb) {
    if (!Scrollable()) return false;
    int step = 0;
    switch (code) {
        case ListScrollCode::LineUp:
            step = -kListLineStep;
            break;
        case ListScrollCode::LineDown:
            step = kListLineStep;
            break;
        case ListScrollCode::PageUp:
            step = -kListPageStep;
            break;
        case ListScrollCode::PageDown:
            step = kListPageStep;
            break;
        case ListScrollCode::Track:
            step = thumb - position;
            break;
        case ListScrollCode::Other:
            break;
    }
    const int moved = std::clamp(position + step, 0, maximum - page);
    if (moved == position) return false;
    position = moved;
    return true;
}

int ListNameBoxTop(int count, int current, int scrollPos) {
    return kListRowHeight * ListRowOfObject(count, current) - scrollPos + 1;
}

int ListTileCount(int count) {
    return count <= 0 ? 0 : (count + kListTileRows - 1) / kListTileRows;
}

int ListTileHeight(int count, int tile) {
    const int rows = std::min(kListTileRows, count - tile * kListTileRows);
    return rows <= 0 ? 0 : rows * kListRowHeight;
}

std::vector<ListTileCopy> ListTileCopies(int count, int scrollPos, int pageHeight) {
    std::vector<ListTileCopy> copies;
    const int end = std::min(scrollPos + pageHeight, kListRowHeight * std::max(count, 0));
    int y = std::max(scrollPos, 0);
    constexpr int kTilePixels = kListTileRows * kListRowHeight;
    while (y < end) {
        const int tile = y / kTilePixels;
        const int sourceY = y - tile * kTilePixels;
        const int height = std::min(kTilePixels - sourceY, end - y);
        copies.push_back({tile, sourceY, height, y - scrollPos});
        y += height;
    }
    return copies;
}

bool ListDoubleClick::Press(uint32_t now, uint32_t doubleClickTime) {
    const bool closes = timed_ && now - last_ < doubleClickTime;
    timed_ = true;
    last_ = now;
    return closes;
}

ListNameFit FitListName(const std::string& utf8) {
    ListNameFit fit;
    std::string bytes = Utf8ToCp932(utf8);
    // Utf8ToCp932 writes '?' for what it cannot convert, so more '?' out than in means a
    // character was lost.
    fit.replaced =
        std::count(bytes.begin(), bytes.end(), '?') > std::count(utf8.begin(), utf8.end(), '?');
    fit.cut = bytes.size() > kListNameBytes;
    fit.bytes = fit.cut ? TruncateCp932(bytes, kListNameBytes) : std::move(bytes);
    fit.text = Cp932ToUtf8(fit.bytes);
    return fit;
}

const std::string& ListNameEdit::Load(const std::string& storedBytes) {
    bytes_ = storedBytes;
    text_ = Cp932ToUtf8(storedBytes);
    changed_ = false;
    return text_;
}

ListNameFit ListNameEdit::Edit(const std::string& utf8) {
    if (utf8 == text_) {
        ListNameFit same;
        same.bytes = bytes_;
        same.text = text_;
        return same;
    }
    ListNameFit fit = FitListName(utf8);
    bytes_ = fit.bytes;
    text_ = fit.text;
    changed_ = true;
    return fit;
}

}  // namespace zarni
