#include "gif/saving_progress.h"

#include <algorithm>

#include "common/rounding.h"

namespace korvimo {

SavingBar ComputeSavingBar(int16_t percent, int32_t pictureWidth, int32_t labelLeft) {
    float exact = static_cast<float>(percent) * static_cast<float>(pictureWidth) / 100.0f;
    int32_t width = RoundHalfEven(exact);
    width = std::clamp(width, 0, std::max(pictureWidth, 0));
    return SavingBar{width, labelLeft <= width};
}

std::u16string SavingCaption(int16_t percent) {
    std::string digits = std::to_string(percent);
    std::u16string caption(digits.begin(), digits.end());
    caption += u'%';
    return caption;
}

}  // namespace korvimo
