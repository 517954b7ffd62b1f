// The object list without a display: rows in reverse order, what a press hits, scrolling and
// the name box's place, the row image's tiles, the double click on the current row, and names
// between Shift_JIS bytes and the name box's text.
#include <gtest/gtest.h>

#include <set>

#include "rules/object_list.h"
#include "platform/cp932.h"

namespace zarni {
namespace {

TEST(ObjectListRows, LastObjectOnTopAndTheCurrentRowHighlighted) {
    // Objects A, B, C (C last) read C, B, A from the top.
    EXPECT_EQ(ListObjectOfRow(3, 0), 2);
    EXPECT_EQ(ListObjectOfRow(3, 2), 0);
    for (int object = 0; object < 5; ++object)
        EXPECT_EQ(ListObjectOfRow(5, ListRowOfObject(5, object)), object);
    EXPECT_TRUE(ListRowHighlighted(3, 0, 2));
    EXPECT_FALSE(ListRowHighlighted(3, 0, 0));
    // No object active (BG): nothing highlighted.
    for (int row = 0; row < 3; ++row)
        EXPECT_FALSE(ListRowHighlighted(3, -1, row));
}

TEST(ObjectListClicks, RowsSwatchIconAndBelowTheLastRow) {
    // Three objects, B (1) current, so its row is the middle one, y 22..43.
    EXPECT_EQ(ListClickAt(3, 1, 100, 0, 0).kind, ListClickKind::PickRow);
    EXPECT_EQ(ListClickAt(3, 1, 100, 21, 0).object, 2);
    EXPECT_EQ(ListClickAt(3, 1, 100, 44, 0).object, 0);
    // The current row: swatch left of 45, icon strictly between 206 and 222.
    EXPECT_EQ(ListClickAt(3, 1, 44, 30, 0).kind, ListClickKind::Swatch);
    EXPECT_EQ(ListClickAt(3, 1, 45, 30, 0).kind, ListClickKind::CurrentRow);
    EXPECT_EQ(ListClickAt(3, 1, 206, 30, 0).kind, ListClickKind::CurrentRow);
    EXPECT_EQ(ListClickAt(3, 1, 207, 30, 0).kind, ListClickKind::SymmetryIcon);
    EXPECT_EQ(ListClickAt(3, 1, 221, 30, 0).kind, ListClickKind::SymmetryIcon);
    EXPECT_EQ(ListClickAt(3, 1, 222, 30, 0).kind, ListClickKind::CurrentRow);
    // Below the last row a click acts on the current object.
    const ListClick below = ListClickAt(3, 1, 10, 66, 0);
    EXPECT_EQ(below.kind, ListClickKind::Swatch);
    EXPECT_EQ(below.object, 1);
    // Scrolled by 22, the top of the pane is the second row.
    EXPECT_EQ(ListClickAt(3, 0, 100, 0, 22).kind, ListClickKind::PickRow);
    EXPECT_EQ(ListClickAt(3, 0, 100, 0, 22).object, 1);
    EXPECT_EQ(ListClickAt(3, 0, 100, 22, 22).kind, ListClickKind::CurrentRow);
    // With no object active a row still picks, but below the rows nothing happens.
    EXPECT_EQ(ListClickAt(3, -2, 100, 30, 0).object, 1);
    EXPECT_EQ(ListClickAt(3, -2, 10, 100, 0).kind, ListClickKind::Nothing);
}

TEST(ObjectListScroll, LinesPagesThumbAndTheEnds) {
    ListScroll s;
    s.Reset(10, 100);  // 220 pixels of rows in a 100-pixel pane
    EXPECT_EQ(s.maximum, 220);
    EXPECT_FALSE(s.Apply(ListScrollCode::LineUp, 0)) << "already at the top";
    EXPECT_TRUE(s.Apply(ListScrollCode::LineDown, 0));
    EXPECT_EQ(s.position, 3);
    s.Apply(ListScrollCode::PageDown, 0);
    EXPECT_EQ(s.position, 25);
    s.Apply(ListScrollCode::PageUp, 0);
    s.Apply(ListScrollCode::LineUp, 0);
    EXPECT_EQ(s.position, 0);
    s.Apply(ListScrollCode::Track, 77);
    EXPECT_EQ(s.position, 77);
    EXPECT_FALSE(s.Apply(ListScrollCode::Other, 5));
    EXPECT_EQ(s.position, 77);
    // The end is maximum - page.
    s.Apply(ListScrollCode::Track, 500);
    EXPECT_EQ(s.position, 120);
    EXPECT_FALSE(s.Apply(ListScrollCode::PageDown, 0));
    // Fewer rows after a delete: the position comes back within the new range.
    s.Reset(6, 100);
    EXPECT_EQ(s.position, 32);
    // Rows that fit the page do not scroll.
    s.Reset(3, 100);
    EXPECT_EQ(s.position, 0);
    EXPECT_FALSE(s.Scrollable());
    EXPECT_FALSE(s.Apply(ListScrollCode::LineDown, 0));
    EXPECT_EQ(s.position, 0);
}

TEST(ObjectListScroll, NameBoxStaysOnTheCurrentRow) {
    ListScroll s;
    s.Reset(50, 200);
    const int current = 40;  // row 9, top 198
    EXPECT_EQ(ListNameBoxTop(50, current, s.position), 199);
    for (int i = 0; i < 7; ++i) {
        s.Apply(i % 2 ? ListScrollCode::LineDown : ListScrollCode::PageDown, 0);
        EXPECT_EQ(ListNameBoxTop(50, current, s.position),
                  s.RowTop(ListRowOfObject(50, current)) + 1);
    }
    EXPECT_EQ(s.position, 4 * 22 + 3 * 3);
}

TEST(ObjectListTiles, CopiesCoverThePageAcrossTileEdges) {
    const int count = 2 * kListTileRows + 10;
    ASSERT_EQ(ListTileCount(count), 3);
    EXPECT_EQ(ListTileHeight(count, 2), 10 * kListRowHeight);
    EXPECT_EQ(ListTileCount(0), 0);
    const int tilePixels = kListTileRows * kListRowHeight;
    // Every pane pixel comes from exactly the image row at y + scroll, including across the
    // edge between tiles; nothing past the last row.
    for (const int scroll : {0, tilePixels - 50, 2 * tilePixels - 7, count * kListRowHeight - 30}) {
        const int page = 300;
        std::set<int> covered;
        for (const ListTileCopy& c : ListTileCopies(count, scroll, page)) {
            ASSERT_GE(c.sourceY, 0);
            ASSERT_LE(c.sourceY + c.height, ListTileHeight(count, c.tile));
            for (int k = 0; k < c.height; ++k) {
                EXPECT_EQ(c.tile * tilePixels + c.sourceY + k, scroll + c.destY + k);
                EXPECT_TRUE(covered.insert(c.destY + k).second);
            }
        }
        const int expected = std::min(page, count * kListRowHeight - scroll);
        EXPECT_EQ(static_cast<int>(covered.size()), expected) << "scroll " << scroll;
        EXPECT_EQ(*covered.begin(), 0);
    }
    EXPECT_TRUE(ListTileCopies(0, 0, 100).empty());
}

TEST(ObjectListDoubleClick, TwoPressesWithinTheTimeClose) {
    ListDoubleClick d;
    EXPECT_FALSE(d.Press(1000, 400)) << "the first press is never a double click";
    EXPECT_TRUE(d.Press(1399, 400));
    EXPECT_FALSE(d.Press(1799, 400)) << "exactly the double-click time is too late";
    // A pick of another row in between: its second press is the first one timed.
    d.Forget();
    EXPECT_FALSE(d.Press(1850, 400));
    // The clock wraps at 32 bits.
    d.Forget();
    EXPECT_FALSE(d.Press(0xFFFFFF00u, 400));
    EXPECT_TRUE(d.Press(0x00000010u, 400));
    // Right after start-up the clock is small: no earlier press is assumed at time 0.
    ListDoubleClick fresh;
    EXPECT_FALSE(fresh.Press(50, 400));
}

TEST(ObjectListNames, TextAndBytesBothWays) {
    // "部品" in Shift_JIS.
    const std::string bytes = "\x95\x94\x95\x69";
    ListNameEdit edit;
    EXPECT_EQ(edit.Load(bytes), "部品");
    EXPECT_FALSE(edit.Changed());
    ListNameFit fit = edit.Edit("部品A");
    EXPECT_EQ(fit.text, "部品A");
    EXPECT_FALSE(fit.replaced);
    EXPECT_TRUE(edit.Changed());
    EXPECT_EQ(edit.Bytes(), bytes + "A");
}

TEST(ObjectListNames, UnstorableCharactersAreShownBeforeTheyAreStored) {
    ListNameEdit edit;
    edit.Load("OBJ_001");
    // An emoji and an accented letter have no Shift_JIS code: the box shows '?' for each,
    // while a '?' the user typed is not counted as lost.
    const ListNameFit fit = edit.Edit("a\xF0\x9F\x98\x80?\xC3\xA9");
    EXPECT_TRUE(fit.replaced);
    EXPECT_EQ(fit.text, "a???");
    EXPECT_EQ(edit.Bytes(), "a???");
    EXPECT_FALSE(FitListName("a?b").replaced);
    // Half-width katakana and NEC specials are Shift_JIS (CP932) and pass.
    const ListNameFit kana = FitListName("ｱ①");
    EXPECT_FALSE(kana.replaced);
    EXPECT_EQ(kana.bytes, "\xB1\x87\x40");
}

TEST(ObjectListNames, LongNamesAreCutOnACharacterBoundary) {
    // 99 double-byte characters and one more: 200 bytes, the last character cannot be half.
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "あ";
    const ListNameFit fit = FitListName("x" + text);
    EXPECT_TRUE(fit.cut);
    EXPECT_EQ(fit.bytes.size(), 199u);
    EXPECT_EQ(Cp932ToUtf8(fit.bytes), fit.text);
    EXPECT_EQ(fit.text, "x" + text.substr(0, 99 * 3));
    const ListNameFit exact = FitListName(std::string(199, 'n'));
    EXPECT_FALSE(exact.cut);
    EXPECT_EQ(exact.bytes.size(), 199u);
}

TEST(ObjectListNames, AnUntouchedNameKeepsItsBytes) {
    // A name from a file with a byte pair that is not Shift_JIS and 230 bytes in all: shown
    // with a replacement character, and stored back only when the user changes it.
    const std::string stored = std::string("\x85\x40", 2) + std::string(228, 'k');
    ListNameEdit edit;
    const std::string shown = edit.Load(stored);
    EXPECT_NE(shown.find("\xEF\xBF\xBD"), std::string::npos);
    edit.Edit(shown);
    EXPECT_FALSE(edit.Changed());
    EXPECT_EQ(edit.Bytes(), stored);
    // Editing it stores the text as it now reads, cut to the box's length.
    edit.Edit(shown + "z");
    EXPECT_TRUE(edit.Changed());
    EXPECT_EQ(edit.Bytes().size(), 199u);
    EXPECT_EQ(edit.Bytes()[0], '?');
}

}  // namespace
}  // namespace zarni
