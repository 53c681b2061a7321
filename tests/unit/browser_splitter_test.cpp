#include "browser/splitter.h"

#include <gtest/gtest.h>

#include "browser/layout.h"

namespace korvimo {
namespace {

SplitterView ViewAt(int32_t splitterLeft) {
    SplitterView v;
    v.splitterLeft = splitterLeft;
    v.treeLeft = 49;
    v.innerWidth = 5535;
    v.innerHeight = 5025;
    v.paneMargin = 50;
    return v;
}

// Presses at x = 10, drags the left edge to `left` and releases there.
SplitterCommands DropAt(int32_t left) {
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 10, ViewAt(2049));
    SplitterCommands moved = drag.MouseMove(left - 2049, ViewAt(2049));
    EXPECT_TRUE(moved.moveSplitter.has_value());
    return drag.MouseUp(0, ViewAt(left));
}

TEST(BrowserSplitter, LeftPressStartsDragInDragColour) {
    SplitterDrag drag;
    SplitterCommands out = drag.MouseDown(kLeftButton, 12.5, ViewAt(2049));
    EXPECT_EQ(out.color, std::optional<uint32_t>(0x808080));
    EXPECT_FALSE(out.moveSplitter);
    EXPECT_FALSE(out.runLayout);
    EXPECT_FALSE(drag.MouseMove(12, ViewAt(2049)).moveSplitter);  // 12.5 halved to even
}

TEST(BrowserSplitter, MoveFollowsPointerOnlyWhenItChanged) {
    SplitterDrag drag;
    EXPECT_FALSE(drag.MouseMove(100, ViewAt(2049)).moveSplitter);  // not dragging

    drag.MouseDown(kLeftButton, 20, ViewAt(2049));
    EXPECT_FALSE(drag.MouseMove(20.4, ViewAt(2049)).moveSplitter);  // still 20

    SplitterCommands out = drag.MouseMove(-1000, ViewAt(2049));
    ASSERT_TRUE(out.moveSplitter);
    // Full SH - 2m high, unlimited to the left, nothing else changes.
    EXPECT_EQ(*out.moveSplitter, (TwipRect{1049, 400, 50, 4925}));
    EXPECT_FALSE(out.treeWidth);
    EXPECT_FALSE(out.color);
    EXPECT_FALSE(out.runLayout);

    out = drag.MouseMove(-5000, ViewAt(1049));
    ASSERT_TRUE(out.moveSplitter);
    EXPECT_EQ(out.moveSplitter->left, -3951);
}

TEST(BrowserSplitter, DropSetsTreeWidthRestsAndLaysOut) {
    SplitterCommands out = DropAt(1549);
    EXPECT_EQ(out.treeWidth, std::optional<int32_t>(1500));
    EXPECT_EQ(out.color, std::optional<uint32_t>(0x8000000F));
    EXPECT_TRUE(out.runLayout);
}

TEST(BrowserSplitter, DropAtOrLeftOf60GivesTree60AndRestsAt109) {
    for (int32_t left : {60, 59, 0, -400}) {
        SplitterCommands out = DropAt(left);
        ASSERT_EQ(out.treeWidth, std::optional<int32_t>(60)) << left;

        LayoutInput in;
        in.innerWidth = 5535;
        in.innerHeight = 5025;
        in.paneMargin = 50;
        in.tree = {49, 400, *out.treeWidth, 4625};
        EXPECT_EQ(ComputeLayout(in).splitter.left, 109) << left;
    }
    // Just right of 60 the tree takes the distance from its own left edge.
    EXPECT_EQ(DropAt(61).treeWidth, std::optional<int32_t>(12));
    EXPECT_EQ(DropAt(109).treeWidth, std::optional<int32_t>(60));
}

TEST(BrowserSplitter, DropAtOrRightOfSwLess60GivesTreeSwLess60) {
    EXPECT_EQ(DropAt(5474).treeWidth, std::optional<int32_t>(5474 - 49));
    for (int32_t left : {5475, 5476, 9000}) {
        SplitterCommands out = DropAt(left);
        ASSERT_EQ(out.treeWidth, std::optional<int32_t>(5475)) << left;

        // The viewer would get a negative width and keeps its place.
        LayoutInput in;
        in.innerWidth = 5535;
        in.innerHeight = 5025;
        in.paneMargin = 50;
        in.tree = {49, 400, *out.treeWidth, 4625};
        in.pic = {2099, 400, 3387, 4625};
        EXPECT_EQ(ComputeLayout(in).pic, in.pic) << left;
    }
}

TEST(BrowserSplitter, RightPressWhileDraggingDropsAtPointer) {
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 10, ViewAt(2049));
    drag.MouseMove(500, ViewAt(2049));  // left edge to 2549

    SplitterCommands out = drag.MouseDown(2, 30, ViewAt(2549));
    ASSERT_TRUE(out.moveSplitter);
    EXPECT_EQ(out.moveSplitter->left, 2579);
    EXPECT_EQ(out.treeWidth, std::optional<int32_t>(2579 - 49));
    EXPECT_EQ(out.color, std::optional<uint32_t>(0x8000000F));
    EXPECT_TRUE(out.runLayout);

    // The left button's release that follows finds no drag any more.
    SplitterCommands up = drag.MouseUp(0, ViewAt(2579));
    EXPECT_FALSE(up.treeWidth);
    EXPECT_FALSE(up.runLayout);
    EXPECT_FALSE(drag.MouseMove(100, ViewAt(2579)).moveSplitter);
}

TEST(BrowserSplitter, OtherButtonsWithoutDragDoNothing) {
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 10, ViewAt(2049));
    drag.MouseUp(10, ViewAt(2049));  // a finished drag leaves nothing to drop
    SplitterCommands out = drag.MouseDown(2, 30, ViewAt(2049));
    EXPECT_FALSE(out.moveSplitter || out.color || out.treeWidth || out.runLayout);
    out = drag.MouseUp(30, ViewAt(2049));
    EXPECT_FALSE(out.moveSplitter || out.color || out.treeWidth || out.runLayout);
    EXPECT_FALSE(drag.MouseMove(100, ViewAt(2049)).moveSplitter);
}

TEST(BrowserSplitter, ReleaseAtUnchangedXDropsWhereTheSplitterIs) {
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 25, ViewAt(1000));
    SplitterCommands out = drag.MouseUp(25, ViewAt(1000));
    EXPECT_FALSE(out.moveSplitter);
    EXPECT_EQ(out.treeWidth, std::optional<int32_t>(951));
}

TEST(BrowserSplitter, TooShortWindowLeavesTheSplitterWhereItIs) {
    SplitterView v = ViewAt(2049);
    v.innerHeight = 99;  // SH - 2m < 0
    SplitterDrag drag;
    drag.MouseDown(kLeftButton, 0, v);
    EXPECT_FALSE(drag.MouseMove(300, v).moveSplitter);
    EXPECT_EQ(drag.MouseUp(300, v).treeWidth, std::optional<int32_t>(2000));
}

}  // namespace
}  // namespace korvimo
