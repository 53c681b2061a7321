#pragma once
// The windows are designed in twips (1/1440 inch); the screen works in pixels.
#include <cstdint>

#include "common/rounding.h"

namespace korvimo {

// A DPI of 0 or less (a failed device query) is taken as 96.
inline int32_t TwipsToPixels(double twips, int32_t dpi) {
    return RoundHalfEven(twips * (dpi > 0 ? dpi : 96) / 1440.0);
}

inline int32_t PixelsToTwips(double pixels, int32_t dpi) {
    return RoundHalfEven(pixels * 1440.0 / (dpi > 0 ? dpi : 96));
}

}  // namespace korvimo
