#pragma once
// The arithmetic of the save progress bar, kept apart from the window so it
// can be checked without one. Lengths are in twips (1/1440 inch).
#include <cstdint>

#include "common/twips.h"
#include <string>

namespace korvimo {

// Design sizes of the progress window, in twips.
constexpr int32_t kSavingClientWidth = 4305;
constexpr int32_t kSavingClientHeight = 600;
constexpr int32_t kSavingPictureWidth = 4335;
constexpr int32_t kSavingPictureHeight = 615;
constexpr int32_t kSavingLabelLeft = 2040;
constexpr int32_t kSavingLabelTop = 180;
constexpr int32_t kSavingLabelWidth = 90;
constexpr int32_t kSavingLabelHeight = 180;
// RGB(177, 174, 244) as red + 256*green + 65536*blue.
constexpr uint32_t kSavingBarColour = 177u + 256u * 174u + 65536u * 244u;

struct SavingBar {
    int32_t widthTwips;    // 0..pictureWidth
    bool labelHighlighted; // the bar has reached the label's left edge
};

// Bar for `percent`: RoundHalfEven(percent * pictureWidth / 100) in single
// precision, kept inside the picture box for values outside 0..100.
SavingBar ComputeSavingBar(int16_t percent, int32_t pictureWidth = kSavingPictureWidth,
                           int32_t labelLeft = kSavingLabelLeft);

// "40%" for 40.
std::u16string SavingCaption(int16_t percent);

}  // namespace korvimo
