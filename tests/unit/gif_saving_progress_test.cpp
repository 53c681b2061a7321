// Progress bar arithmetic of the save window and the colour cube GDI reduces to.
#include "gif/saving_progress.h"

#include <gtest/gtest.h>

#include "gif/colour_cube.h"

namespace korvimo {
namespace {

TEST(GifSavingProgressTest, LabelTurnsWhiteFromFortyEightPercent) {
    SavingBar at47 = ComputeSavingBar(47);
    EXPECT_EQ(at47.widthTwips, 2037);  // 2037.45, just left of the label at 2040
    EXPECT_FALSE(at47.labelHighlighted);
    SavingBar at48 = ComputeSavingBar(48);
    EXPECT_EQ(at48.widthTwips, 2081);  // 2080.8
    EXPECT_TRUE(at48.labelHighlighted);
}

TEST(GifSavingProgressTest, BarLengthRoundsHalfToEvenAndStaysInsideThePicture) {
    EXPECT_EQ(ComputeSavingBar(0).widthTwips, 0);
    EXPECT_EQ(ComputeSavingBar(100).widthTwips, 4335);
    EXPECT_EQ(ComputeSavingBar(10).widthTwips, 434);   // 433.5 -> 434
    EXPECT_EQ(ComputeSavingBar(30).widthTwips, 1300);  // 1300.5 -> 1300
    EXPECT_EQ(ComputeSavingBar(250).widthTwips, 4335);
    EXPECT_EQ(ComputeSavingBar(-5).widthTwips, 0);
    EXPECT_FALSE(ComputeSavingBar(-5).labelHighlighted);
    // The label's own left edge is "at or left of" the bar end.
    EXPECT_TRUE(ComputeSavingBar(50, 200, 100).labelHighlighted);
    EXPECT_FALSE(ComputeSavingBar(49, 200, 100).labelHighlighted);
}

TEST(GifSavingProgressTest, CaptionIsDigitsAndPercentSign) {
    EXPECT_EQ(SavingCaption(40), u"40%");
    EXPECT_EQ(SavingCaption(0), u"0%");
    EXPECT_EQ(SavingCaption(100), u"100%");
}

TEST(GifColourCubeTest, FiveLevelsPerChannelRedFastestThenBlack) {
    auto table = ColourCubeTable();
    auto rgb = [&](int i) {
        return std::vector<int>{table[i].red, table[i].green, table[i].blue};
    };
    EXPECT_EQ(rgb(0), (std::vector<int>{0, 0, 0}));
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
