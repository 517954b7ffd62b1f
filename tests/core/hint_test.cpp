// The hint without its window: placement against the screen, the time-out, refreshing, and the
// position read-out of a cursor resting on a point.
#include <gtest/gtest.h>

#include "view/hint.h"

namespace zarni {
namespace {

constexpr int32_t kScreenW = 1024;
constexpr int32_t kScreenH = 768;

TEST(HintPlacement, AboveInTheLowerHalfBelowOtherwiseAndInsideTheScreen) {
    HintRect r = PlaceHint({300, 500}, 100, 12, kScreenW, kScreenH);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 500 - 36);
    EXPECT_EQ(r.width, 108);
    EXPECT_EQ(r.height, 20);
    // Exactly the middle counts as the upper half.
    r = PlaceHint({300, kScreenH / 2}, 100, 12, kScreenW, kScreenH);
    EXPECT_EQ(r.y, kScreenH / 2 + 27);
    // The right edge pushes it left so that it ends there; the left edge holds it at 0.
    r = PlaceHint({1000, 10}, 100, 12, kScreenW, kScreenH);
    EXPECT_EQ(r.x, kScreenW - 108);
    r = PlaceHint({-30, 10}, 100, 12, kScreenW, kScreenH);
    EXPECT_EQ(r.x, 0);
    // A hint wider than the screen starts at its left edge rather than off it.
    r = PlaceHint({500, 10}, 2000, 12, kScreenW, kScreenH);
    EXPECT_EQ(r.x, 0);
    // On a very short screen it stays inside vertically too.
    r = PlaceHint({10, 5}, 100, 12, kScreenW, 40);
    EXPECT_EQ(r.y, 40 - 20);
}

TEST(HintModel, HidesAfterItsTimeOutUnlessTheTimeOutIsZero) {
    HintModel hint;
    EXPECT_EQ(hint.text(), "Hint2");
    EXPECT_FALSE(hint.visible());
    EXPECT_FALSE(hint.Refresh(50, 10));  // hidden: nothing to refresh

    const uint32_t t0 = 0xFFFFFF00u;  // the clock wraps during the hint
    hint.SetText("X:1.000 Y:2.000 Z:3.000");
    hint.Show({200, 100}, 150, 13, kScreenW, kScreenH, t0);
    EXPECT_TRUE(hint.visible());
    EXPECT_FALSE(hint.Tick(t0 + 1999));
    EXPECT_TRUE(hint.visible());
    EXPECT_TRUE(hint.Tick(t0 + 2000));
    EXPECT_FALSE(hint.visible());

    // A refresh keeps the corner and takes the new size.
    hint.Show({200, 100}, 150, 13, kScreenW, kScreenH, 0);
    const HintRect before = hint.rect();
    EXPECT_TRUE(hint.Refresh(60, 13));
    EXPECT_EQ(hint.rect().x, before.x);
    EXPECT_EQ(hint.rect().y, before.y);
    EXPECT_EQ(hint.rect().width, 68);

    EXPECT_TRUE(hint.SetTimeout(-5));  // visible: the window restarts its timer
    EXPECT_EQ(hint.timeout(), 0);
    EXPECT_FALSE(hint.Tick(1000000));
    EXPECT_TRUE(hint.visible());
    // The next show replaces it.
    hint.Show({10, 700}, 150, 13, kScreenW, kScreenH, 5);
    EXPECT_EQ(hint.rect().y, 700 - 36);
}

TEST(PositionReadout, ShowsThePointOnceAfterSixRestingTicksOnlyWhenEnabled) {
    PatchObject obj;
    ControlPoint p;
    p.x = 1.5f;
    p.y = -0.25f;
    p.z = 12.0f;
    obj.points.push_back(p);
    int picks = 0;
    auto onPoint = [&] {
        ++picks;
        return 0;
    };

    PositionReadout readout;
    const CursorPoint c{40, 30};
    std::optional<std::string> text;
    for (int tick = 0; tick < 6; ++tick) {
        EXPECT_FALSE(text);
        text = readout.Tick(c, true, &obj, onPoint);  // the first tick is the arrival
    }
    EXPECT_FALSE(text);
    text = readout.Tick(c, true, &obj, onPoint);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "X:1.500 Y:-0.250 Z:12.000");
    EXPECT_EQ(picks, 1);
    for (int tick = 0; tick < 20; ++tick)
        EXPECT_FALSE(readout.Tick(c, true, &obj, onPoint));
    EXPECT_EQ(picks, 1);

    // Moving starts the count again; a rest over no point shows nothing.
    readout.Tick({41, 30}, true, &obj, onPoint);
    for (int tick = 0; tick < 6; ++tick) {
        text = readout.Tick({41, 30}, true, &obj, [&] {
            ++picks;
            return -1;
        });
    }
    EXPECT_FALSE(text);
    EXPECT_EQ(picks, 2);

    // Switched off, nothing is counted or picked.
    PositionReadout off;
    for (int tick = 0; tick < 10; ++tick)
        EXPECT_FALSE(off.Tick(c, false, &obj, onPoint));
    EXPECT_EQ(picks, 2);
    EXPECT_EQ(off.restTicks(), 0);
}

}  // namespace
}  // namespace zarni
