#include "browser/panning.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// Pic of the first-shown window: 3387 x 4625, inner area 3327 x 4565.
constexpr int32_t kPicW = 3387;
constexpr int32_t kPicH = 4625;

TEST(BrowserArrows, PlacedAsACrossNearTheBottomRight) {
    ArrowPlan plan = PlanArrows(true, false, {-100, -100, 9000, 9000}, kPicW, kPicH);
    EXPECT_EQ(plan.up.left, kPicW - 615);
    EXPECT_EQ(plan.up.top, kPicH - 855);
    EXPECT_EQ(plan.down.left, kPicW - 615);
    EXPECT_EQ(plan.down.top, kPicH - 375);
    EXPECT_EQ(plan.left.left, kPicW - 855);
    EXPECT_EQ(plan.left.top, kPicH - 615);
    EXPECT_EQ(plan.right.left, kPicW - 375);
    EXPECT_EQ(plan.right.top, kPicH - 615);
    EXPECT_TRUE(plan.up.visible && plan.down.visible && plan.left.visible && plan.right.visible);
}

TEST(BrowserArrows, PictureExactlyTheInnerSizeShowsNone) {
    ArrowPlan plan = PlanArrows(true, false, {0, 0, kPicW - 60, kPicH - 60}, kPicW, kPicH);
    EXPECT_FALSE(plan.up.visible);
    EXPECT_FALSE(plan.down.visible);
    EXPECT_FALSE(plan.left.visible);
    EXPECT_FALSE(plan.right.visible);

    // One twip wider: only the right arrow; one twip taller: only down.
    plan = PlanArrows(true, false, {0, 0, kPicW - 59, kPicH - 60}, kPicW, kPicH);
    EXPECT_TRUE(plan.right.visible);
    EXPECT_FALSE(plan.down.visible || plan.up.visible || plan.left.visible);
    plan = PlanArrows(true, false, {0, 0, kPicW - 60, kPicH - 59}, kPicW, kPicH);
    EXPECT_TRUE(plan.down.visible);
    EXPECT_FALSE(plan.right.visible || plan.up.visible || plan.left.visible);
}

TEST(BrowserArrows, UpAndLeftShowOnlyWhenPannedAway) {
    ArrowPlan plan = PlanArrows(true, false, {-1, 0, 9000, 9000}, kPicW, kPicH);
    EXPECT_TRUE(plan.left.visible);
    EXPECT_FALSE(plan.up.visible);
    plan = PlanArrows(true, false, {0, -1, 9000, 9000}, kPicW, kPicH);
    EXPECT_TRUE(plan.up.visible);
    EXPECT_FALSE(plan.left.visible);
}

TEST(BrowserArrows, StretchedOrHiddenPictureShowsNone) {
    ArrowPlan stretched = PlanArrows(true, true, {-100, -100, 9000, 9000}, kPicW, kPicH);
    EXPECT_FALSE(stretched.up.visible || stretched.down.visible || stretched.left.visible ||
                 stretched.right.visible);

    ArrowPlan hidden = PlanArrows(false, false, {-100, -100, 9000, 9000}, kPicW, kPicH);
    EXPECT_FALSE(hidden.up.visible || hidden.down.visible || hidden.left.visible ||
                 hidden.right.visible);
    // Hidden picture: the arrows are not moved.
    EXPECT_FALSE(hidden.up.left.has_value());
    EXPECT_FALSE(hidden.right.top.has_value());
}

TEST(BrowserPanning, TickStepsAHundredTwipsAndStopsOnlyAtAnEdge) {
    const TwipRect big{-1000, -1000, 9000, 9000};
    const struct {
        int32_t direction;
        TwipRect from, to;
        bool stop;
    } cases[] = {
        {kPanLeft, big, {-900, -1000, 9000, 9000}, false},
        {kPanRight, big, {-1100, -1000, 9000, 9000}, false},
        {kPanUp, big, {-1000, -900, 9000, 9000}, false},
        {kPanDown, big, {-1000, -1100, 9000, 9000}, false},
        {kPanNone, big, big, false},
        {5, big, big, false},
        {-1, big, big, false},
        {kPanRight, {-3600, 0, 6927, 9000}, {3327 - 6927, 0, 6927, 9000}, true},
        {kPanUp, {0, -30, 9000, 9000}, {0, 0, 9000, 9000}, true},
        // Smaller than the viewer: it does not move.
        {kPanUp, {0, 0, 100, 100}, {0, 0, 100, 100}, true},
        {kPanLeft, {0, 0, 100, 100}, {0, 0, 100, 100}, true},
        // Extreme positions do not overflow.
        {kPanRight, {INT32_MIN, 0, 100, 100}, {0, 0, 100, 100}, true},
        {kPanLeft, {INT32_MAX, 0, 100, 100}, {0, 0, 100, 100}, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        PanTickResult r = PanTick(cases[i].direction, cases[i].from, kPicW, kPicH);
        EXPECT_EQ(r.image1, cases[i].to);
        EXPECT_EQ(r.stopTimer, cases[i].stop);
    }
}

TEST(BrowserPanning, LeftArrowFromMinus50ClampsToZeroAndStops) {
    PanState pan;
    pan.ArrowDown(kPanLeft);
    ASSERT_TRUE(pan.timerEnabled);
    TwipRect image = pan.Tick({-50, 0, 6000, 8000}, kPicW, kPicH);
    EXPECT_EQ(image.left, 0);
    EXPECT_EQ(image.top, 0);
    EXPECT_FALSE(pan.timerEnabled);
    EXPECT_EQ(pan.PanDirection, kPanLeft);  // kept until the button goes up

    ArrowPlan plan = PlanArrows(true, false, image, kPicW, kPicH);
    EXPECT_FALSE(plan.left.visible);
    EXPECT_TRUE(plan.right.visible);

    pan.ArrowUp();
    EXPECT_EQ(pan.PanDirection, kPanNone);
    EXPECT_FALSE(pan.timerEnabled);
}

TEST(BrowserPanning, HoldingDownArrowRunsToTheBottomEdge) {
    PanState pan;
    pan.ArrowDown(kPanDown);
    TwipRect image{0, 0, 2000, 8000};  // inner height 4565
    int ticks = 0;
    while (pan.timerEnabled && ticks < 1000) {
        image = pan.Tick(image, kPicW, kPicH);
        ++ticks;
        if (pan.timerEnabled) {
            EXPECT_EQ(image.top, -100 * ticks);
        }
    }
    EXPECT_EQ(ticks, 35);  // -3400 is the last free step, -3500 is clamped
    EXPECT_EQ(image.top, 4565 - 8000);
    EXPECT_EQ(image.left, 0);

    ArrowPlan plan = PlanArrows(true, false, image, kPicW, kPicH);
    EXPECT_FALSE(plan.down.visible);
    EXPECT_TRUE(plan.up.visible);
    EXPECT_FALSE(plan.left.visible);
    EXPECT_FALSE(plan.right.visible);
}

TEST(BrowserPanning, NarrowTallPictureKeepsPanningVertically) {
    // Narrower than the viewer: the right rule pulls it over and the left
    // rule puts it back each tick; that is no edge, the timer keeps running.
    PanState pan;
    pan.ArrowDown(kPanDown);
    TwipRect image = pan.Tick({0, 0, 1000, 8000}, kPicW, kPicH);
    EXPECT_EQ(image, (TwipRect{0, -100, 1000, 8000}));
    EXPECT_TRUE(pan.timerEnabled);
}

}  // namespace
}  // namespace korvimo
