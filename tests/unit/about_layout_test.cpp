#include "about/about_layout.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(Twips, PixelsRoundHalvesToEvenAndAFailedDpiQueryMeans96) {
    // 358.75, 496.25, 7.5, 2.5, 595.5 and 4.5 pixels among them.
    const struct {
        double twips;
        int32_t dpi, pixels;
    } cases[] = {{0, 96, 0},      {600, 96, 40},    {4305, 120, 359}, {5955, 120, 496}, {90, 120, 8},
                 {30, 120, 2},    {5955, 144, 596}, {90, 72, 4},      {5955, 0, 397},   {5955, -5, 397},
                 {1440, 1, 1}};
    for (const auto& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    EXPECT_EQ(PixelsToTwips(397, 96), 5955);
    EXPECT_EQ(PixelsToTwips(397, 0), 5955);
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
