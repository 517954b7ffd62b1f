// The colour dialog's rules without a display: the two conversions, the commands and clicks,
// the named colours, and the picture with its inverted markers.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "rules/hsv.h"

namespace zarni {
namespace {

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

Pixel At(const std::vector<uint8_t>& rgb, int width, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Pixel Bytes(const RgbColour& c) {
    return {ChannelByte(c.red), ChannelByte(c.green), ChannelByte(c.blue)};
}

TEST(HsvConversion, PrimariesAndSecondariesSitAtTheirHues) {
    struct Case {
        uint32_t colour;
        float hue;
    } cases[] = {{0x0000FF, 0},   {0x00FFFF, 60},  {0x00FF00, 120},
                 {0xFFFF00, 180}, {0xFF0000, 240}, {0xFF00FF, 300}};
    for (const Case& c : cases) {
        const HsvState st = HsvState::FromColourValue(c.colour);
        EXPECT_FLOAT_EQ(st.H, c.hue) << std::hex << c.colour;
        EXPECT_EQ(st.SaturationField(), 255);
        EXPECT_EQ(st.ValueField(), 255);
        EXPECT_EQ(Bytes(HsvToRgb(c.hue, 1, 1)), Bytes({st.red, st.green, st.blue}));
    }
}

TEST(HsvConversion, PureRedOpensAsZeroFullFullAndComesBackUnchanged) {
    HsvState st = HsvState::FromColourValue(ColourValue(255, 0, 0));
    EXPECT_EQ(st.HueField(), 0);
    EXPECT_EQ(st.SaturationField(), 255);
    EXPECT_EQ(st.ValueField(), 255);
    EXPECT_FALSE(st.SnapToFields()) << "integer fields already match";
    EXPECT_EQ(st.Result(), 0x0000FFu);
}

TEST(HsvConversion, GreysHaveNoHueAndKeepTheirValue) {
    for (int b : {0, 1, 128, 254, 255}) {
        const HsvState st = HsvState::FromColourValue(ColourValue(b, b, b));
        EXPECT_EQ(st.H, 0.0f);
        EXPECT_EQ(st.S, 0.0f);
        EXPECT_EQ(st.ValueField(), b);
        EXPECT_EQ(st.Result(), ColourValue(b, b, b));
    }
}

TEST(HsvConversion, OutOfRangeInputIsClamped) {
    const HsvColour hsv = RgbToHsv(2.0f, -1.0f, 0.0f);
    EXPECT_EQ(hsv.h, 0.0f);
    EXPECT_EQ(hsv.s, 1.0f);
    EXPECT_EQ(hsv.v, 1.0f);
    EXPECT_EQ(Bytes(HsvToRgb(400, 2, 2)), Bytes(HsvToRgb(0, 1, 1)));
    EXPECT_EQ(Bytes(HsvToRgb(-10, 1, 1)), (Pixel{255, 0, 0}));
    EXPECT_EQ(Bytes(HsvToRgb(360, 1, 1)), (Pixel{255, 0, 0}));
}

TEST(HsvConversion, RoundTripsLoseAtMostTheTruncatedStepAndOpeningKeepsTheColour) {
    for (const NamedColour& c : NamedColours()) {
        const HsvColour hsv = RgbToHsv(c.red / 255.0f, c.green / 255.0f, c.blue / 255.0f);
        const Pixel back = Bytes(HsvToRgb(hsv.h, hsv.s, hsv.v));
        EXPECT_LE(std::abs(back.r - c.red), 1) << c.name;
        EXPECT_LE(std::abs(back.g - c.green), 1) << c.name;
        EXPECT_LE(std::abs(back.b - c.blue), 1) << c.name;
        // Opened and confirmed without a change, the colour comes back as it went in.
        EXPECT_EQ(HsvState::FromColourValue(ColourValue(c.red, c.green, c.blue)).Result(),
                  ColourValue(c.red, c.green, c.blue))
            << c.name;
    }
}

TEST(HsvCommands, ComplementAndHueStepsWrapAroundTheCircle) {
    HsvState st = HsvState::FromColourValue(ColourValue(255, 0, 0));
    st.H = 270;
    st.Complement();
    EXPECT_FLOAT_EQ(st.H, 90);
    st.Complement();
    EXPECT_FLOAT_EQ(st.H, 270);

    for (float start : {0.0f, 17.0f, 345.0f}) {
        st.H = start;
        for (int i = 0; i < 12; ++i) {
            st.StepHue(12);
            EXPECT_GE(st.H, 0.0f);
            EXPECT_LT(st.H, 360.0f);
        }
        EXPECT_FLOAT_EQ(st.H, start);
    }
}

TEST(HsvCommands, AHueDivisorOutsideTwoToThirtySixIsTakenAsTheNearestEnd) {
    HsvState st = HsvState::FromColourValue(ColourValue(0, 255, 0));
    st.StepHue(0);  // would divide by zero
    EXPECT_FLOAT_EQ(st.H, 300);
    EXPECT_EQ(Bytes({st.red, st.green, st.blue}), (Pixel{255, 0, 255}));
    st.StepHue(1000);
    EXPECT_FLOAT_EQ(st.H, 310);
    EXPECT_EQ(ClampHueDiv(1), 2);
    EXPECT_EQ(ClampHueDiv(37), 36);
    EXPECT_EQ(ClampHueDiv(12), 12);
}

TEST(HsvCommands, GreyKeepsHueAndValue) {
    HsvState st = HsvState::FromColourValue(ColourValue(0, 0, 200));
    st.Grey();
    EXPECT_FLOAT_EQ(st.H, 240);
    EXPECT_EQ(st.S, 0.0f);
    EXPECT_EQ(st.Result(), ColourValue(200, 200, 200));
}

TEST(HsvCommands, TypedFieldsAreTakenOnlyWhenTheyDifferAndAreKeptInRange) {
    HsvState st = HsvState::FromColourValue(ColourValue(255, 0, 0));
    EXPECT_FALSE(st.TakeFields(0, 255, 255));
    EXPECT_TRUE(st.TakeFields(120, 255, 255));
    EXPECT_EQ(st.Result(), ColourValue(0, 255, 0));
    EXPECT_TRUE(st.TakeFields(5000, 999, 999));
    EXPECT_EQ(st.HueField(), 359);
    EXPECT_EQ(st.SaturationField(), 255);
    EXPECT_EQ(st.ValueField(), 255);
    EXPECT_TRUE(st.TakeFields(0, 0, 0)) << "an emptied field reads as 0";
    EXPECT_EQ(st.Result(), 0u);
}

TEST(HsvClicks, BarAndSquareMapTheClientAreaAndIgnoreTheRest) {
    HsvState st = HsvState::FromColourValue(ColourValue(255, 0, 0));
    EXPECT_EQ(st.Click(130, 4), HsvClick::HueBar);
    EXPECT_FLOAT_EQ(st.H, 120);
    EXPECT_EQ(st.Result(), ColourValue(0, 255, 0));
    EXPECT_EQ(st.Click(3, 0), HsvClick::HueBar);
    EXPECT_EQ(st.H, 0.0f);

    const HsvState before = st;
    EXPECT_EQ(st.Click(375, 5), HsvClick::None) << "right of the bar";
    EXPECT_EQ(st.Click(100, 12), HsvClick::None) << "between bar and square";
    EXPECT_EQ(st.Click(300, 100), HsvClick::None) << "right of the square's column";
    EXPECT_EQ(st.Result(), before.Result());
    EXPECT_EQ(st.H, before.H);

    EXPECT_EQ(st.Click(270, 100), HsvClick::Square);
    EXPECT_EQ(st.S, 1.0f);
    EXPECT_EQ(st.ValueField(), 255 - (100 - 24));
    EXPECT_EQ(st.Click(10, 24), HsvClick::Square);
    EXPECT_EQ(st.S, 0.0f);
    EXPECT_EQ(st.V, 1.0f);
    EXPECT_EQ(st.Click(0, 14), HsvClick::Square) << "left of the square: no saturation";
    EXPECT_EQ(st.S, 0.0f);
    EXPECT_EQ(st.V, 1.0f) << "above the square: full value";
    EXPECT_EQ(st.Click(137, 289), HsvClick::Square);
    EXPECT_EQ(st.V, 0.0f);
    EXPECT_EQ(st.SaturationField(), 127);
    EXPECT_FALSE(st.SnapToFields());
}

TEST(HsvNamedColours, TableKeepsItsOrderSpellingAndColours) {
    const auto& table = NamedColours();
    ASSERT_EQ(table.size(), 140u);
    EXPECT_STREQ(table.front().name, "Blue-Alice");
    EXPECT_STREQ(table[1].name, "White-Abtique");
    EXPECT_STREQ(table[23].name, "Goldenrod-Dark");
    EXPECT_EQ((Pixel{table[23].red, table[23].green, table[23].blue}), (Pixel{0x88, 0x86, 0x0B}));
    EXPECT_STREQ(table[53].name, "Fhoneydew");
    EXPECT_STREQ(table[66].name, "Gloldenrod-Yellow-Light");
    EXPECT_STREQ(table[90].name, "Blue-Mmidnight");
    EXPECT_STREQ(table.back().name, "Green-Yellow");
    std::set<std::string> names;
    for (const NamedColour& c : table) {
        EXPECT_LE(std::string(c.name).size(), kNamedColourNameMax) << c.name;
        EXPECT_TRUE(names.insert(c.name).second) << "twice: " << c.name;
        EXPECT_EQ(FindNamedColour(c.name), &c);
    }
    const NamedColour* pink = FindNamedColour("Pink");
    ASSERT_NE(pink, nullptr);
    EXPECT_EQ((Pixel{pink->red, pink->green, pink->blue}), (Pixel{0xFF, 0xC0, 0xCD}));
    EXPECT_EQ(FindNamedColour(""), nullptr);
    EXPECT_EQ(FindNamedColour("pink"), nullptr);
}

TEST(HsvNamedColours, ChoosingOneShowsItsTruncatedFieldsAndKeepsWhatTheyGive) {
    const NamedColour* coral = FindNamedColour("Coral");
    ASSERT_NE(coral, nullptr);
    HsvState st;
    st.TakeColour(coral->red, coral->green, coral->blue);
    const HsvColour exact =
        RgbToHsv(coral->red / 255.0f, coral->green / 255.0f, coral->blue / 255.0f);
    EXPECT_EQ(st.HueField(), static_cast<int>(exact.h));
    st.SnapToFields();
    EXPECT_EQ(st.H, static_cast<float>(static_cast<int>(exact.h)));
    const RgbColour fromFields =
        HsvToRgb(static_cast<int>(exact.h), static_cast<int>(255 * exact.s) / 255.0f,
                 static_cast<int>(255 * exact.v) / 255.0f);
    const Pixel result = Bytes(fromFields);
    EXPECT_EQ(st.Result(), ColourValue(result.r, result.g, result.b));
    // Close to the named colour, though not necessarily equal to it.
    EXPECT_LE(std::abs(result.r - coral->red) + std::abs(result.g - coral->green) +
                  std::abs(result.b - coral->blue),
              6);
}

TEST(HsvPicture, SquareBarSwatchAndGreyAtSamplePoints) {
    HsvState st = HsvState::FromColourValue(ColourValue(0, 0, 255));  // blue, hue 240
    HsvPicture pic;
    RenderHsvPicture(st, pic);
    const auto& px = pic.rgb;
    constexpr int W = kHsvPictureWidth;
    // Square: display rows 24..279, value growing upwards, saturation to the right.
    EXPECT_EQ(At(px, W, 255, 24), (Pixel{0, 0, 255}));
    EXPECT_EQ(At(px, W, 0, 24), (Pixel{255, 255, 255}));
    EXPECT_EQ(At(px, W, 0, 279), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(px, W, 255, 279), (Pixel{0, 0, 0}));
    EXPECT_EQ(At(px, W, 0, 152), Bytes(HsvToRgb(240, 0, 127 / 255.0f)));
    EXPECT_EQ(At(px, W, 100, 100), Bytes(HsvToRgb(240, 100 / 255.0f, 179 / 255.0f)));
    // Hue bar: rows 0..9, one degree a column, whatever the current hue.
    for (int y : {0, 9}) {
        EXPECT_EQ(At(px, W, 0, y), (Pixel{255, 0, 0}));
        EXPECT_EQ(At(px, W, 120, y), (Pixel{0, 255, 0}));
        EXPECT_EQ(At(px, W, 180, y), (Pixel{0, 255, 255}));
        EXPECT_EQ(At(px, W, 359, y), Bytes(HsvToRgb(359, 1, 1)));
    }
    // Swatch: display x 270..351, y 26..49.
    EXPECT_EQ(At(px, W, 270, 26), (Pixel{0, 0, 255}));
    EXPECT_EQ(At(px, W, 351, 49), (Pixel{0, 0, 255}));
    // Grey between and around them.
    const Pixel grey{kHsvPictureGrey, kHsvPictureGrey, kHsvPictureGrey};
    for (auto [x, y] : {std::pair{100, 10},
                        {100, 23},
                        {256, 100},
                        {269, 30},
                        {352, 30},
                        {300, 25},
                        {300, 50},
                        {359, 279}}) {
        EXPECT_EQ(At(px, W, x, y), grey) << x << ", " << y;
    }

    // A field change re-renders the square for the new hue and the swatch.
    ASSERT_TRUE(st.TakeFields(0, 255, 255));
    RenderHsvPicture(st, pic);
    EXPECT_EQ(At(px, W, 255, 24), (Pixel{255, 0, 0}));
    EXPECT_EQ(At(px, W, 300, 30), (Pixel{255, 0, 0}));
}

TEST(HsvPicture, MarkerOutlinesAreInvertedAndNothingElseChanges) {
    HsvState st = HsvState::FromColourValue(ColourValue(0, 200, 0));
    ASSERT_TRUE(st.TakeFields(120, 100, 200));
    HsvPicture pic;
    RenderHsvPicture(st, pic);
    constexpr int W = 380, Hgt = 290;
    const uint32_t background = ColourValue(0x12, 0x34, 0x56);
    std::vector<uint8_t> canvas;
    ComposeHsvCanvas(st, pic, W, Hgt, background, canvas);
    ASSERT_EQ(canvas.size(), size_t{W} * Hgt * 3);

    std::set<std::pair<int, int>> outline;
    for (const auto& p : EllipseOutline(126, 0, 134, 10))
        outline.insert({p[0], p[1]});
    for (const auto& p : EllipseOutline(105, 75, 115, 85))
        outline.insert({p[0], p[1]});
    for (int y = 0; y < Hgt; ++y) {
        for (int x = 0; x < W; ++x) {
            Pixel expected{0x12, 0x34, 0x56};
            if (x >= kHsvPictureX && x < kHsvPictureX + kHsvPictureWidth && y < kHsvPictureHeight) {
                expected = At(pic.rgb, kHsvPictureWidth, x - kHsvPictureX, y);
            }
            if (outline.count({x, y})) {
                expected = {255 - expected.r, 255 - expected.g, 255 - expected.b};
            }
            ASSERT_EQ(At(canvas, W, x, y), expected) << x << ", " << y;
        }
    }
}

TEST(HsvPicture, MarkerOutlineIsAClosedRingTouchingEverySideOfItsBox) {
    for (auto [w, h] : {std::pair{8, 10}, {10, 10}}) {
        const auto points = EllipseOutline(0, 0, w, h);
        std::set<std::pair<int, int>> ring;
        int minX = w, maxX = -1, minY = h, maxY = -1;
        for (const auto& p : points) {
            EXPECT_TRUE(ring.insert({p[0], p[1]}).second) << "a point twice would re-invert";
            minX = std::min(minX, p[0]);
            maxX = std::max(maxX, p[0]);
            minY = std::min(minY, p[1]);
            maxY = std::max(maxY, p[1]);
        }
        EXPECT_EQ(minX, 0);
        EXPECT_EQ(maxX, w - 1);
        EXPECT_EQ(minY, 0);
        EXPECT_EQ(maxY, h - 1);
        // Mirror-symmetric, and every point has a neighbour on each side along the ring.
        for (const auto& [x, y] : ring) {
            EXPECT_TRUE(ring.count({w - 1 - x, y}) && ring.count({x, h - 1 - y}));
            int neighbours = 0;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if ((dx || dy) && ring.count({x + dx, y + dy})) ++neighbours;
            EXPECT_GE(neighbours, 2) << x << ", " << y;
        }
        EXPECT_FALSE(ring.count({w / 2, h / 2})) << "the inside is left alone";
    }
}

}  // namespace
}  // namespace zarni
