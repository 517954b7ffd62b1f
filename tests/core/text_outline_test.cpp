// Text outlines against FreeType's own outline of each glyph, the layout along the line, the
// closed chains they become, and fonts or texts that are refused.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "formats/curve_import.h"
#include "formats/settings_file.h"
#include "formats/text_outline.h"
#include "model/invariants.h"
#include "tests/core/temp_folder.h"

namespace zarni {
namespace {

struct Box {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

// The curves' extent, sampled densely with the Bezier formula.
Box SampledBox(const CurveSet& curves) {
    Box box;
    for (const CurveChain& c : curves) {
        for (size_t k = 0; k + 3 < c.points.size(); k += 3) {
            for (int i = 0; i <= 400; ++i) {
                const double t = i / 400.0, u = 1 - t;
                const double w[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
                double x = 0, y = 0;
                for (int j = 0; j < 4; ++j) {
                    x += w[j] * c.points[k + j].x;
                    y += w[j] * c.points[k + j].y;
                }
                box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x);
                box.minY = std::min(box.minY, y), box.maxY = std::max(box.maxY, y);
            }
        }
    }
    return box;
}

class TextOutline : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        if (!FindFontFile(kDefaultOutlineFont, &file_, &index_, &why))
            GTEST_SKIP() << "the default font is not installed: " << why;
        ASSERT_EQ(FT_Init_FreeType(&library_), 0);
        ASSERT_EQ(FT_New_Face(library_, file_.c_str(), index_, &face_), 0) << file_;
    }
    void TearDown() override {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }

    // FreeType's own outline of one character, unscaled.
    const FT_Outline& Glyph(char32_t cp) {
        const FT_UInt index = FT_Get_Char_Index(face_, cp);
        EXPECT_NE(index, 0u);
        EXPECT_EQ(FT_Load_Glyph(face_, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        return face_->glyph->outline;
    }

    CurveSet Outlines(const std::string& text, const std::string& font = kDefaultOutlineFont) {
        CurveSet curves;
        std::string why;
        EXPECT_TRUE(TextOutlineCurves(text, font, curves, &why)) << text << ": " << why;
        return curves;
    }

    std::string file_;
    int index_ = 0;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

TEST_F(TextOutline, GlyphContoursAndExtentMatchFreeType) {
    const std::pair<const char*, char32_t> glyphs[] = {
        {"A", U'A'},
        {"B", U'B'},
        {"g", U'g'},
        {"i", U'i'},
        {"@", U'@'},
        {"\xE3\x81\x82", U'あ'},
        {"\xE6\xBC\xA2", U'漢'},
        {"\xEF\xBC\x90", U'０'},
    };
    for (const auto& [text, cp] : glyphs) {
        const CurveSet curves = Outlines(text);
        const FT_Outline& outline = Glyph(cp);
        EXPECT_EQ(static_cast<int>(curves.size()), outline.n_contours) << text;
        for (const CurveChain& chain : curves) {
            EXPECT_TRUE(chain.closed) << text;
            EXPECT_EQ(chain.points.back().x, chain.points.front().x) << text;
            EXPECT_EQ(chain.points.back().y, chain.points.front().y) << text;
        }
        FT_BBox want;
        ASSERT_EQ(FT_Outline_Get_BBox(const_cast<FT_Outline*>(&outline), &want), 0);
        const Box got = SampledBox(curves);
        EXPECT_NEAR(got.minX, want.xMin, 0.5) << text;
        EXPECT_NEAR(got.maxX, want.xMax, 0.5) << text;
        EXPECT_NEAR(got.minY, want.yMin, 0.5) << text;
        EXPECT_NEAR(got.maxY, want.yMax, 0.5) << text;
    }
}

// Each glyph sits where the advance widths and the kerning of the glyphs before it put it;
// line breaks and tabs are spaces.
TEST_F(TextOutline, GlyphsFollowAdvanceAndKerning) {
    struct Case {
        const char* font;
        const char* text;
        char32_t first;
        char32_t second;
        const char* secondText;
    };
    const Case cases[] = {
        {kDefaultOutlineFont, "AV", U'A', U'V', "V"},
        {kDefaultOutlineFont, "\xE6\x97\xA5\xE6\x9C\xAC", U'日', U'本', "\xE6\x9C\xAC"},
        {"DejaVu Sans", "AV", U'A', U'V', "V"},
        {"DejaVu Sans", "To", U'T', U'o', "o"},
    };
    for (const Case& c : cases) {
        std::string file, why;
        int index = 0;
        if (!FindFontFile(c.font, &file, &index, &why)) continue;  // not installed here
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Face(library_, file.c_str(), index, &face), 0);
        const FT_UInt a = FT_Get_Char_Index(face, c.first), b = FT_Get_Char_Index(face, c.second);
        ASSERT_EQ(FT_Load_Glyph(face, a, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        double shift = static_cast<double>(face->glyph->advance.x);
        FT_Vector kern{0, 0};
        if (FT_HAS_KERNING(face)) FT_Get_Kerning(face, a, b, FT_KERNING_UNSCALED, &kern);
        shift += static_cast<double>(kern.x);
        FT_Done_Face(face);

        const CurveSet pair = Outlines(c.text, c.font);
        const CurveSet second = Outlines(c.secondText, c.font);
        ASSERT_GE(pair.size(), second.size()) << c.text;
        const size_t offset = pair.size() - second.size();
        for (size_t i = 0; i < second.size(); ++i) {
            ASSERT_EQ(pair[offset + i].points.size(), second[i].points.size()) << c.text;
            for (size_t k = 0; k < second[i].points.size(); ++k) {
                EXPECT_DOUBLE_EQ(pair[offset + i].points[k].x, second[i].points[k].x + shift)
                    << c.font << " " << c.text;
                EXPECT_DOUBLE_EQ(pair[offset + i].points[k].y, second[i].points[k].y);
            }
        }
    }
    const CurveSet spaced = Outlines("A B"), broken = Outlines("A\nB"), tabbed = Outlines("A\tB");
    ASSERT_EQ(spaced.size(), broken.size());
    ASSERT_EQ(spaced.size(), tabbed.size());
    EXPECT_EQ(spaced.back().points.front().x, broken.back().points.front().x);
    EXPECT_EQ(spaced.back().points.front().x, tabbed.back().points.front().x);
}

// Placed, the text stands upright with its box centred and its larger side the size; as an
// object every contour is a closed loop: each anchor starts exactly one segment and ends one.
TEST_F(TextOutline, PlacedTextBecomesClosedLoops) {
    CurveSet curves;
    std::string why;
    ASSERT_TRUE(ImportTextOutlines("L", kDefaultOutlineFont, 3.0, curves, &why)) << why;
    const FT_Outline& outline = Glyph(U'L');
    FT_BBox box;
    FT_Outline_Get_BBox(const_cast<FT_Outline*>(&outline), &box);
    const double scale = 3.0 / std::max(box.xMax - box.xMin, box.yMax - box.yMin);
    // Every on-curve point of FreeType's outline is an anchor of ours, moved and scaled.
    std::vector<std::pair<double, double>> anchors;
    for (const CurveChain& c : curves)
        for (size_t i = 0; i < c.points.size(); i += 3)
            anchors.emplace_back(c.points[i].x, c.points[i].y);
    for (int i = 0; i < outline.n_points; ++i) {
        if ((outline.tags[i] & 1) == 0) continue;
        const double x = (outline.points[i].x - 0.5 * (box.xMin + box.xMax)) * scale;
        const double y = (outline.points[i].y - 0.5 * (box.yMin + box.yMax)) * scale;
        const bool found = std::any_of(anchors.begin(), anchors.end(), [&](const auto& a) {
            return std::fabs(a.first - x) < 1e-9 && std::fabs(a.second - y) < 1e-9;
        });
        EXPECT_TRUE(found) << "outline point " << i;
    }

    ASSERT_TRUE(ImportTextOutlines("Oi", kDefaultOutlineFont, 2.0, curves, &why)) << why;
    const Box placed = SampledBox(curves);
    EXPECT_NEAR(std::max(placed.maxX - placed.minX, placed.maxY - placed.minY), 2.0, 1e-3);
    EXPECT_NEAR(placed.minX + placed.maxX, 0.0, 1e-3);
    EXPECT_NEAR(placed.minY + placed.maxY, 0.0, 1e-3);
    Document doc = NewDocument();
    EditSwitches sw;
    PutCurvesInCurrentObject(doc, sw, curves);
    ASSERT_TRUE(DocumentInvariantsHold(doc, &why)) << why;
    const PatchObject& obj = doc.objects[0];
    std::map<int32_t, int> starts, ends;
    for (const Segment& s : obj.segments) {
        ++starts[s.p0];
        ++ends[s.p3];
    }
    int anchorCount = 0;
    for (int32_t i = 0; i < obj.pointCount(); ++i) {
        if (obj.points[i].anchor >= 0) continue;
        ++anchorCount;
        EXPECT_EQ(starts[i], 1) << i;
        EXPECT_EQ(ends[i], 1) << i;
    }
    EXPECT_EQ(anchorCount, obj.segmentCount());
    EXPECT_EQ(static_cast<int>(doc.selectedAnchors.size()), anchorCount);
}

TEST_F(TextOutline, BadTextAndFontsAreRefused) {
    testing_files::TempFolder folder;
    testing_files::Put(folder.File("not-a-font.ttf"), "just some words");
    struct Case {
        std::string text;
        std::string font;
        const char* reason;
    };
    const Case cases[] = {
        {"abc", "NoSuchFamilyAnywhere", "no installed font"},
        {"abc", "/no/such/font.ttf", "does not exist"},
        {"abc", folder.File("not-a-font.ttf"), "cannot be read"},
        {"   ", kDefaultOutlineFont, "no outline"},
        {"\n\t", kDefaultOutlineFont, "no outline"},
        {"", kDefaultOutlineFont, "empty"},
        {"a\xFF", kDefaultOutlineFont, "UTF-8"},
        {"\xC0\xAF", kDefaultOutlineFont, "UTF-8"},      // overlong
        {"\xED\xA0\x80", kDefaultOutlineFont, "UTF-8"},  // a surrogate
        {"\xE3\x81", kDefaultOutlineFont, "UTF-8"},      // cut short
        {"\xF4\x90\x80\x80", kDefaultOutlineFont, "UTF-8"},
        {"a\xF4\x8F\xBF\xBD", kDefaultOutlineFont, "U+10FFFD"},  // no glyph in the font
    };
    for (const Case& c : cases) {
        CurveSet curves(1);
        std::string why;
        EXPECT_FALSE(ImportTextOutlines(c.text, c.font, 2.0, curves, &why)) << c.text;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.text << ": " << why;
        EXPECT_EQ(curves.size(), 1u) << "left as it was";
    }
}

TEST_F(TextOutline, InstalledFamiliesAreListedOnceInOrder) {
    const std::vector<std::string> families = InstalledFontFamilies();
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
    EXPECT_EQ(std::adjacent_find(families.begin(), families.end()), families.end());
    EXPECT_NE(std::find(families.begin(), families.end(), kDefaultOutlineFont), families.end());
    // Each listed family is found again by its name.
    for (const std::string& family : families) {
        std::string file, why;
        int index = 0;
        EXPECT_TRUE(FindFontFile(family, &file, &index, &why)) << family << ": " << why;
    }
}

// The Text dialog's choices come back as stored: blanks and quotes at the ends of the text
// included, the size held to its range, defaults for a file without them.
TEST(TextChoicesFile, StoredChoicesComeBackAsTheyWere) {
    testing_files::TempFolder folder;
    const std::string path = folder.File("zarni.ini");
    const TextChoices defaults = LoadTextChoices(path);
    EXPECT_EQ(defaults.text, "Zarni!");
    EXPECT_EQ(defaults.font, kDefaultOutlineFont);
    EXPECT_EQ(defaults.sizeThousandths, 2000);
    const char* const texts[] = {" padded ", "\"quoted\"",
                                 "semi;colon=", "\xE6\x96\x87\xE5\xAD\x97"};
    for (const char* text : texts) {
        TextChoices choices;
        choices.text = text;
        choices.font = "DejaVu Sans";
        choices.sizeThousandths = 1500;
        ASSERT_TRUE(SaveTextChoices(choices, path));
        const TextChoices back = LoadTextChoices(path);
        EXPECT_EQ(back.text, text);
        EXPECT_EQ(back.font, "DejaVu Sans");
        EXPECT_EQ(back.sizeThousandths, 1500);
    }
    testing_files::Put(path, "[Text]\nSize=-5\n");
    EXPECT_EQ(LoadTextChoices(path).sizeThousandths, kMinTextSize);
    testing_files::Put(path, "[Text]\nSize=99999999\n");
    EXPECT_EQ(LoadTextChoices(path).sizeThousandths, kMaxTextSize);
}

}  // namespace
}  // namespace zarni
