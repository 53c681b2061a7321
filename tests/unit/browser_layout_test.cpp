#include "browser/layout.h"

#include <cmath>

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(BrowserLayout, PanesFillTheInnerAreaAndAStepWithANegativeSizeIsSkipped) {
    LayoutInput in;
    // Only the tree's width is read; the other places show whether a control moved.
    in.tree = {0, 0, 2000, 10};
    in.splitter = {8, 8, 8, 8};
    in.pic = {7, 7, 7, 7};
    in.text1.width = in.text1.height = 99;
    const struct {
        double width, height;
        TwipRect tree, splitter, pic, text1;
    } cases[] = {
        {5535, 5025, {49, 400, 2000, 4625}, {2049, 400, 50, 4625},
         {2099, 400, 3387, 4625}, {0, 0, 3347, 4585}},
        // Viewer width -1 fails, 0 is still a size; Text1's width and height each stay when negative.
        {2147, 5025, {49, 400, 2000, 4625}, {2049, 400, 50, 4625}, {7, 7, 7, 7}, {0, 0, 99, 99}},
        {2148, 5025, {49, 400, 2000, 4625}, {2049, 400, 50, 4625}, {2099, 400, 0, 4625}, {0, 0, 99, 4585}},
        {2188, 5025, {49, 400, 2000, 4625}, {2049, 400, 50, 4625}, {2099, 400, 40, 4625}, {0, 0, 0, 4585}},
        // Pane height -1: nothing moves; 0 is still a size.
        {5535, 399, {0, 0, 2000, 10}, {8, 8, 8, 8}, {7, 7, 7, 7}, {0, 0, 99, 99}},
        {5535, 400, {49, 400, 2000, 0}, {2049, 400, 50, 0}, {2099, 400, 3387, 0}, {0, 0, 3347, 99}},
    };
    for (const auto& c : cases) {
        in.innerWidth = c.width;
        in.innerHeight = c.height;
        LayoutResult out = ComputeLayout(in);
        EXPECT_EQ(out.tree, c.tree) << c.width << "x" << c.height;
        EXPECT_EQ(out.splitter, c.splitter) << c.width << "x" << c.height;
        EXPECT_EQ(out.pic, c.pic) << c.width << "x" << c.height;
        EXPECT_EQ(out.text1, c.text1) << c.width << "x" << c.height;
    }
}

TEST(BrowserLayout, Image1StretchedFillsTheViewerLess60OtherwiseStaysAnchored) {
    LayoutInput in;
    in.tree.width = 2000;
    // Scrolled to the bottom right of the first-shown viewer, 3327 x 4565 inside.
    in.image1 = {3327 - 6000, 4565 - 8000, 6000, 8000};
    in.innerWidth = 5535 + 1000;
    in.innerHeight = 5025 + 500;
    EXPECT_EQ(ComputeLayout(in).image1, (TwipRect{4327 - 6000, 5065 - 8000, 6000, 8000}));
    in.image1Stretch = true;
    EXPECT_EQ(ComputeLayout(in).image1, (TwipRect{0, 0, 4327, 5065}));
}

TEST(BrowserLayout, WholeTwipsPinsWhatLiesBeyondTheThirtyTwoBitRange) {
    EXPECT_EQ(WholeTwips(1e12), INT32_MAX);
    EXPECT_EQ(WholeTwips(-1e12), INT32_MIN);
    EXPECT_EQ(WholeTwips(std::nan("")), INT32_MIN);
}

}  // namespace
}  // namespace korvimo
