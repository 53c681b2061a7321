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

// The pictures come drawn for 96, 144 and 192 DPI (100, 150 and 200 %), and a
// picture is never stretched: a DPI gets the nearest of them, the larger one
// halfway between, so that 125 % shows pictures a little large rather than
// small beside its text. 0 for 100 %, 1 for 150 %, 2 for 200 %.
inline int ArtScaleIndex(int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    return dpi < 120 ? 0 : dpi < 168 ? 1 : 2;
}

}  // namespace korvimo
