#include "browser/layout.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// The main window as first shown: 5535 x 5025 inner, tree 2000 wide.
LayoutInput FirstShown() {
    LayoutInput in;
    in.innerWidth = 5535;
    in.innerHeight = 5025;
    in.paneMargin = 50;
    in.tree = {49, 400, 2000, 4625};
    in.pic = {2099, 400, 3387, 4625};
    in.splitter = {2049, 400, 50, 4625};
    in.text1 = {0, 0, 3347, 4585};
    in.image1 = {0, 0, 1000, 1000};
    return in;
}

TEST(BrowserLayout, PanesFillTheInnerAreaBelowTheToolbar) {
    LayoutInput in = FirstShown();
    in.tree = {0, 0, 2000, 10};  // only the tree's width is read
    in.pic = in.splitter = in.text1 = {};
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.tree, (TwipRect{49, 400, 2000, 4625}));
    EXPECT_EQ(out.splitter, (TwipRect{2049, 400, 50, 4625}));
    EXPECT_EQ(out.pic, (TwipRect{2099, 400, 3387, 4625}));
    EXPECT_EQ(out.text1, (TwipRect{0, 0, 3347, 4585}));
}

TEST(BrowserLayout, FractionalInnerSizeRoundsHalvesToEven) {
    LayoutInput in = FirstShown();
    in.innerWidth = 5535.5;   // vw = 3386.5 -> 3386
    in.innerHeight = 5025.5;  // h = 4925.5 -> 4926
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.pic.width, 3387);
    EXPECT_EQ(out.pic.height, 4626);

    in.innerWidth = 5536.5;   // vw = 3387.5 -> 3388
    in.innerHeight = 5024.5;  // h = 4924.5 -> 4924
    out = ComputeLayout(in);
    EXPECT_EQ(out.pic.width, 3389);
    EXPECT_EQ(out.pic.height, 4624);
}

TEST(BrowserLayout, NegativeViewerWidthKeepsPreviousViewer) {
    LayoutInput in = FirstShown();
    in.innerWidth = 2147;  // vw = -2: viewer width -1 fails
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.pic, in.pic);
    EXPECT_EQ(out.tree, (TwipRect{49, 400, 2000, 4625}));
    EXPECT_EQ(out.splitter, (TwipRect{2049, 400, 50, 4625}));
    EXPECT_EQ(out.text1, in.text1);

    in.innerWidth = 2148;  // vw = -1: width 0 is still a valid size
    out = ComputeLayout(in);
    EXPECT_EQ(out.pic, (TwipRect{2099, 400, 0, 4625}));
    // Text1 cannot shrink below 0: its width stays, its height follows.
    EXPECT_EQ(out.text1.width, in.text1.width);
    EXPECT_EQ(out.text1.height, 4585);

    in.innerWidth = 2188;  // viewer 40 wide: Text1 shrinks to width 0
    EXPECT_EQ(ComputeLayout(in).text1.width, 0);
}

TEST(BrowserLayout, TooShortWindowKeepsAllPanes) {
    LayoutInput in = FirstShown();
    in.innerHeight = 399;  // pane height -1
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.tree, in.tree);
    EXPECT_EQ(out.pic, in.pic);
    EXPECT_EQ(out.splitter, in.splitter);

    in.innerHeight = 400;  // pane height 0
    out = ComputeLayout(in);
    EXPECT_EQ(out.pic.height, 0);
    EXPECT_EQ(out.tree.height, 0);
    EXPECT_EQ(out.text1.height, in.text1.height);
}

TEST(BrowserLayout, StretchedPictureAlwaysFillsViewerLess60) {
    LayoutInput in = FirstShown();
    in.image1Stretch = true;
    in.image1 = {0, 0, 3327, 4565};
    for (double sw : {3000.0, 5535.0, 9000.0, 12345.5}) {
        for (double sh : {1000.0, 5025.0, 8000.0}) {
            in.innerWidth = sw;
            in.innerHeight = sh;
            LayoutResult out = ComputeLayout(in);
            EXPECT_EQ(out.image1, (TwipRect{0, 0, out.pic.width - 60, out.pic.height - 60}))
                << sw << "x" << sh;
            in.pic = out.pic;
            in.image1 = out.image1;
        }
    }
}

TEST(BrowserLayout, PictureScrolledToBottomRightStaysAnchoredWhenEnlarging) {
    LayoutInput in = FirstShown();
    // Pic 3387 x 4625: inner 3327 x 4565.
    in.image1 = {3327 - 6000, 4565 - 8000, 6000, 8000};
    in.innerWidth = 5535 + 1000;
    in.innerHeight = 5025 + 500;
    LayoutResult out = ComputeLayout(in);
    ASSERT_EQ(out.pic.width, 4387);
    ASSERT_EQ(out.pic.height, 5125);
    EXPECT_EQ(out.image1.left + out.image1.width, out.pic.width - 60);
    EXPECT_EQ(out.image1.top + out.image1.height, out.pic.height - 60);
    EXPECT_EQ(out.image1.width, 6000);
    EXPECT_EQ(out.image1.height, 8000);
}

TEST(BrowserLayout, PictureSmallerThanViewerStaysTopLeft) {
    LayoutInput in = FirstShown();
    in.image1 = {0, 0, 1000, 1000};
    in.innerWidth = 9000;
    in.innerHeight = 9000;
    EXPECT_EQ(ComputeLayout(in).image1, (TwipRect{0, 0, 1000, 1000}));

    // Grown so that it is larger in one direction only: top-left wins for
    // the small direction, the bottom edge is pulled to the inner edge.
    in.image1 = {-2000, -2000, 1000, 10000};
    LayoutResult out = ComputeLayout(in);
    EXPECT_EQ(out.image1.left, 0);
    EXPECT_EQ(out.image1.top + out.image1.height, out.pic.height - 60);
}

TEST(BrowserLayout, AnchorAppliesBottomRightBeforeTopLeft) {
    EXPECT_EQ(AnchorImage({0, 0, 100, 100}, 160, 160), (TwipRect{0, 0, 100, 100}));
    // Pulled down to the inner bottom, then back to 0 by the top rule.
    EXPECT_EQ(AnchorImage({0, 0, 50, 50}, 160, 160), (TwipRect{0, 0, 50, 50}));
    EXPECT_EQ(AnchorImage({-500, -500, 200, 200}, 160, 160), (TwipRect{-100, -100, 200, 200}));
    EXPECT_EQ(AnchorImage({30, 40, 200, 200}, 160, 160), (TwipRect{0, 0, 200, 200}));
}

}  // namespace
}  // namespace korvimo
