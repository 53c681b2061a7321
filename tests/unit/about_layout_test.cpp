#include "about/about_layout.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(AboutTwips, FifteenTwipsPerPixelAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(kAboutWidthTwips, 96), 397);
    EXPECT_EQ(TwipsToPixels(kAboutHeightTwips, 96), 204);
    EXPECT_EQ(TwipsToPixels(kAboutLabelLeftTwips, 96), 256);
    EXPECT_EQ(TwipsToPixels(kAboutLabelTopTwips, 96), 8);
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
}

TEST(AboutTwips, OtherDpisRoundHalvesToEven) {
    // 5955 * 120 / 1440 = 496.25; 3060 * 120 / 1440 = 255 exactly.
    EXPECT_EQ(TwipsToPixels(5955, 120), 496);
    EXPECT_EQ(TwipsToPixels(3060, 120), 255);
    // 5955 * 144 / 1440 = 595.5 -> 596, 120 * 144 / 1440 = 12.
    EXPECT_EQ(TwipsToPixels(5955, 144), 596);
    EXPECT_EQ(TwipsToPixels(120, 144), 12);
    // 30 twips at 72 DPI is 1.5 px -> 2; 90 twips is 4.5 px -> 4.
    EXPECT_EQ(TwipsToPixels(30, 72), 2);
    EXPECT_EQ(TwipsToPixels(90, 72), 4);
}

TEST(AboutTwips, FailedDpiQueryMeans96) {
    EXPECT_EQ(TwipsToPixels(5955, 0), 397);
    EXPECT_EQ(TwipsToPixels(5955, -5), 397);
}

TEST(AboutCentre, HalfPixelsRoundToEven) {
    EXPECT_EQ(CentredOrigin(1024, 400), 312);
    EXPECT_EQ(CentredOrigin(1024, 397), 314);  // 313.5
    EXPECT_EQ(CentredOrigin(1023, 400), 312);  // 311.5
    EXPECT_EQ(CentredOrigin(397, 397), 0);
    EXPECT_EQ(CentredOrigin(300, 397), -48);   // -48.5 overhangs evenly
}

TEST(AboutCentre, WholeBoxAt96Dpi) {
    AboutGeometry g = AboutBoxGeometry(1024, 768, 96, 96);
    EXPECT_EQ(g.width, 397);
    EXPECT_EQ(g.height, 204);
    EXPECT_EQ(g.left, 314);
    EXPECT_EQ(g.top, 282);
    EXPECT_EQ(g.label_left, 256);
    EXPECT_EQ(g.label_top, 8);
}

TEST(AboutCentre, AxesUseTheirOwnDpi) {
    AboutGeometry g = AboutBoxGeometry(1920, 1080, 144, 96);
    EXPECT_EQ(g.width, 596);
    EXPECT_EQ(g.height, 204);
    EXPECT_EQ(g.label_left, 384);
    EXPECT_EQ(g.label_top, 8);
    EXPECT_EQ(g.left, 662);
    EXPECT_EQ(g.top, 438);
}

}  // namespace
}  // namespace korvimo
