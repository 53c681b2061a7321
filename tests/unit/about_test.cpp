#include <tuple>

#include <gtest/gtest.h>

#include "about/about_layout.h"
#include "about/links.h"

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
    for (const auto& c : cases)
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    EXPECT_EQ(PixelsToTwips(1, 1), 1440);
    EXPECT_EQ(PixelsToTwips(397, 0), 5955);
    // The pictures' scale: the nearest of 96, 144 and 192 DPI, the larger halfway.
    for (auto [dpi, scale] : {std::pair{0, 0}, {96, 0}, {119, 0}, {120, 1}, {167, 1}, {168, 2}, {480, 2}})
        EXPECT_EQ(ArtScaleIndex(dpi), scale) << dpi;
}

TEST(AboutCentre, HalfPixelsRoundToEvenAndEachAxisUsesItsOwnDpi) {
    EXPECT_EQ(CentredOrigin(1024, 397), 314);  // 313.5
    EXPECT_EQ(CentredOrigin(1023, 400), 312);  // 311.5
    EXPECT_EQ(CentredOrigin(300, 397), -48);   // -48.5 overhangs evenly
    const struct {
        int32_t screen_width, screen_height, dpi_x, dpi_y;
        AboutGeometry want;
    } cases[] = {{1024, 768, 96, 96, {314, 282, 397, 204, 256, 8}},
                 {1920, 1080, 144, 96, {662, 438, 596, 204, 384, 8}}};
    auto row = [](const AboutGeometry& g) {
        return std::make_tuple(g.left, g.top, g.width, g.height, g.label_left, g.label_top);
    };
    for (const auto& c : cases)
        EXPECT_EQ(row(AboutBoxGeometry(c.screen_width, c.screen_height, c.dpi_x, c.dpi_y)), row(c.want));
}

TEST(AboutHelpPath, SitsBesideTheProgram) {
    // Only the last '\', '/' or drive colon counts, whatever precedes it;
    // with no folder part the bare name is left for the shell to find.
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"\\\\?\\D:\\很长的目录\\korvimo.exe", u"\\\\?\\D:\\很长的目录\\readme.chm"},
        {u"C:/apps/kv.1.2/korvimo.exe", u"C:/apps/kv.1.2/readme.chm"},
        {u"C:\\a/b\\korvimo", u"C:\\a/b\\readme.chm"},
        {u"", u"readme.chm"},
        {u"korvimo.exe", u"readme.chm"},
        {u"C:korvimo.exe", u"C:readme.chm"},
    };
    for (const auto& [module, help] : cases) EXPECT_EQ(SiblingPath(module, u"readme.chm"), help);
}

}  // namespace
}  // namespace korvimo
