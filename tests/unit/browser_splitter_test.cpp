#include "browser/splitter.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// The first-shown window, with the splitter's left edge at `splitterLeft`.
SplitterView ViewAt(int32_t splitterLeft) { return {splitterLeft, 49, 5535, 5025, 50}; }

bool Nothing(const SplitterCommands& out) {
    return !out.moveSplitter && !out.color && !out.treeWidth && !out.runLayout;
}

TEST(BrowserSplitter, LeftPressStartsADragThatFollowsThePointerFreely) {
    SplitterDrag drag;
    EXPECT_FALSE(drag.MouseMove(100, ViewAt(2049)).moveSplitter);  // not dragging
    SplitterCommands down = drag.MouseDown(kLeftButton, 12.5, ViewAt(2049));
    EXPECT_EQ(down.color, std::optional<uint32_t>(0x808080));
    EXPECT_FALSE(down.moveSplitter || down.treeWidth || down.runLayout);
    EXPECT_FALSE(drag.MouseMove(12, ViewAt(2049)).moveSplitter);  // 12.5 halved to even: no change

    SplitterCommands out = drag.MouseMove(-1000, ViewAt(2049));
    // Full SH - 2m high, unlimited to the left, nothing else changes.
    EXPECT_EQ(out.moveSplitter, (TwipRect{1049, 400, 50, 4925}));
    EXPECT_FALSE(out.treeWidth || out.color || out.runLayout);
}

TEST(BrowserSplitter, DropKeepsSixtyTwipsEachSide) {
    const std::pair<int32_t, int32_t> cases[] = {{61, 12}, {60, 60}, {5474, 5474 - 49}, {5475, 5475}};
    for (const auto& [left, treeWidth] : cases) {
        SplitterDrag drag;
        drag.MouseDown(kLeftButton, 10, ViewAt(2049));
        EXPECT_EQ(drag.MouseUp(left - 2049, ViewAt(2049)).treeWidth, std::optional(treeWidth)) << left;
    }
}

TEST(BrowserSplitter, RightPressWhileDraggingDropsAtPointerAndNothingDropsTwice) {
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 10, ViewAt(2049));
    drag.MouseMove(500, ViewAt(2049));  // left edge to 2549
    SplitterCommands out = drag.MouseDown(2, 30, ViewAt(2549));
    ASSERT_TRUE(out.moveSplitter);
    EXPECT_EQ(out.moveSplitter->left, 2579);
    EXPECT_EQ(out.treeWidth, std::optional<int32_t>(2579 - 49));
    EXPECT_EQ(out.color, std::optional<uint32_t>(0x8000000F));
    EXPECT_TRUE(out.runLayout);
    // The left button's release that follows finds no drag.
    EXPECT_TRUE(Nothing(drag.MouseUp(0, ViewAt(2579))));
    EXPECT_FALSE(drag.MouseMove(100, ViewAt(2579)).moveSplitter);
    // Nor does another button after a drag its own release dropped.
    drag.MouseDown(kLeftButton, 10, ViewAt(2579));
    drag.MouseUp(10, ViewAt(2579));
    EXPECT_TRUE(Nothing(drag.MouseDown(2, 30, ViewAt(2579))));
    EXPECT_TRUE(Nothing(drag.MouseUp(30, ViewAt(2579))));
}

}  // namespace
}  // namespace korvimo
