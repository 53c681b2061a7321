#pragma once
// Fractions become whole numbers by rounding to the nearest, halves to even
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), whatever the floating-point mode is.
#include <cmath>
#include <cstdint>

namespace korvimo {

inline double RoundHalfEvenD(double x) {
    double floor_x = std::floor(x);
    double diff = x - floor_x;
    if (diff > 0.5) return floor_x + 1.0;
    if (diff < 0.5) return floor_x;
    return std::fmod(floor_x, 2.0) == 0.0 ? floor_x : floor_x + 1.0;
}

inline int32_t RoundHalfEven(double x) { return static_cast<int32_t>(RoundHalfEvenD(x)); }

}  // namespace korvimo
