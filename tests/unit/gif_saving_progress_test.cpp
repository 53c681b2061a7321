#include "gif/saving_progress.h"

#include <gtest/gtest.h>

#include <tuple>

#include "gif/colour_cube.h"

namespace korvimo {
namespace {

TEST(GifSavingProgressTest, BarRoundsHalfToEvenStaysInsideAndLightsTheLabelOnceItReachesIt) {
    const std::tuple<int16_t, int32_t, bool> cases[] = {
        // 433.5 -> 434 and 1300.5 -> 1300; 2037.45 ends just left of the label at 2040.
        {0, 0, false},    {10, 434, false},  {30, 1300, false}, {47, 2037, false},
        {48, 2081, true}, {100, 4335, true}, {250, 4335, true}, {-5, 0, false},
    };
    for (const auto& [percent, width, highlighted] : cases) {
        const SavingBar bar = ComputeSavingBar(percent);
        EXPECT_TRUE(bar.widthTwips == width && bar.labelHighlighted == highlighted) << percent;
    }
    // The label's own left edge is "at or left of" the bar end.
    EXPECT_TRUE(ComputeSavingBar(50, 200, 100).labelHighlighted);
    EXPECT_EQ(SavingCaption(40), u"40%");
}

TEST(GifColourCubeTest, FiveLevelsPerChannelRedFastestThenBlack) {
    const auto table = ColourCubeTable();
    const auto rgb = [&](int i) { return std::vector<int>{table[i].red, table[i].green, table[i].blue}; };
    EXPECT_EQ(rgb(1), (std::vector<int>{64, 0, 0}));
    EXPECT_EQ(rgb(4), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(rgb(5), (std::vector<int>{0, 64, 0}));
    EXPECT_EQ(rgb(25), (std::vector<int>{0, 0, 64}));
    EXPECT_EQ(rgb(62), (std::vector<int>{128, 128, 128}));
    EXPECT_EQ(rgb(124), (std::vector<int>{255, 255, 255}));
    for (int i = 125; i < 256; ++i) EXPECT_EQ(rgb(i), (std::vector<int>{0, 0, 0})) << i;
}

}  // namespace
}  // namespace korvimo
