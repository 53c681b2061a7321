#include "browser/panning.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// Pic of the first-shown window: 3387 x 4625, inner area 3327 x 4565.
constexpr int32_t kPicW = 3387;
constexpr int32_t kPicH = 4625;

// Which arrows show, as "UDLR" with '-' for a hidden one.
std::string Shown(const ArrowPlan& p) {
    return {p.up.visible ? 'U' : '-', p.down.visible ? 'D' : '-', p.left.visible ? 'L' : '-',
            p.right.visible ? 'R' : '-'};
}

TEST(BrowserArrows, PlacedAsACrossNearTheBottomRight) {
    ArrowPlan p = PlanArrows(true, false, {}, kPicW, kPicH);
    auto at = [](const ArrowPlacement& a) { return std::make_pair(a.left, a.top); };
    EXPECT_EQ(at(p.up), std::make_pair(std::optional(kPicW - 615), std::optional(kPicH - 855)));
    EXPECT_EQ(at(p.down), std::make_pair(std::optional(kPicW - 615), std::optional(kPicH - 375)));
    EXPECT_EQ(at(p.left), std::make_pair(std::optional(kPicW - 855), std::optional(kPicH - 615)));
    EXPECT_EQ(at(p.right), std::make_pair(std::optional(kPicW - 375), std::optional(kPicH - 615)));
    EXPECT_FALSE(PlanArrows(false, false, {}, kPicW, kPicH).up.left.has_value());
}

TEST(BrowserArrows, EachShowsOnlyWhereThePictureReachesBeyondTheViewer) {
    const struct {
        bool visible, stretch;
        TwipRect image;
        const char* shown;
    } cases[] = {
        {true, false, {-100, -100, 9000, 9000}, "UDLR"},
        {true, false, {0, 0, kPicW - 60, kPicH - 60}, "----"},  // exactly the inner size
        {true, false, {0, 0, kPicW - 59, kPicH - 60}, "---R"},
        {true, false, {0, 0, kPicW - 60, kPicH - 59}, "-D--"},
        {true, false, {-1, 0, 9000, 9000}, "-DLR"},
        {true, false, {0, -1, 9000, 9000}, "UD-R"},
        {true, true, {-100, -100, 9000, 9000}, "----"},
        {false, false, {-100, -100, 9000, 9000}, "----"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(PlanArrows(c.visible, c.stretch, c.image, kPicW, kPicH)), c.shown) << c.shown;
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
        {kPanLeft, {-99, 0, 9000, 9000}, {0, 0, 9000, 9000}, true},
        // Extreme positions do not overflow.
        {kPanRight, {INT32_MIN, 0, 100, 100}, {0, 0, 100, 100}, true},
        {kPanLeft, {INT32_MAX, 0, 100, 100}, {0, 0, 100, 100}, true},
    };
    for (const auto& c : cases) {
        PanTickResult r = PanTick(c.direction, c.from, kPicW, kPicH);
        EXPECT_TRUE(r.image1 == c.to && r.stopTimer == c.stop) << &c - cases;
    }
}

TEST(BrowserPanning, HeldArrowRunsToTheEdgeAndKeepsItsDirectionUntilReleased) {
    PanState pan;
    EXPECT_FALSE(pan.timerEnabled);  // nothing pans before an arrow is pressed
    pan.ArrowDown(kPanDown);
    // Narrower than the viewer: each tick pulls it right and puts it back, which is no edge.
    TwipRect image{0, 0, 2000, 8000};
    int ticks = 0;
    for (; pan.timerEnabled && ticks < 1000; ++ticks) image = pan.Tick(image, kPicW, kPicH);
    EXPECT_EQ(ticks, 35);  // -3400 is the last free step, -3500 is clamped
    EXPECT_EQ(image, (TwipRect{0, 4565 - 8000, 2000, 8000}));
    EXPECT_EQ(pan.PanDirection, kPanDown);
    pan.ArrowDown(kPanLeft);
    pan.ArrowUp();
    EXPECT_EQ(pan.PanDirection, kPanNone);
    EXPECT_FALSE(pan.timerEnabled);
}

}  // namespace
}  // namespace korvimo
