#pragma once
// Place and size of a control in twips, relative to its container.
#include <cstdint>
#include <limits>

#include "common/rounding.h"

namespace korvimo {

struct TwipRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const TwipRect& a, const TwipRect& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
    friend bool operator!=(const TwipRect& a, const TwipRect& b) { return !(a == b); }
};

// Controls sit on whole twips: fractions are rounded halves to even, values
// beyond the 32-bit range (or not a number) are pinned to its ends.
inline int32_t WholeTwips(double twips) {
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    if (!(twips >= kMin)) return std::numeric_limits<int32_t>::min();
    if (twips > kMax) return std::numeric_limits<int32_t>::max();
    return RoundHalfEven(twips);
}

}  // namespace korvimo
