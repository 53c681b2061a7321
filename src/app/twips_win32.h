#pragma once
// The windows are designed in twips (1/1440 inch); the screen works in pixels.
#include <windows.h>

#include "common/rounding.h"

namespace korvimo {

struct ScreenScale {
    int dpiX = 96;
    int dpiY = 96;

    static ScreenScale OfScreen() {
        ScreenScale scale;
        if (HDC dc = GetDC(nullptr)) {
            scale.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
            scale.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
            ReleaseDC(nullptr, dc);
        }
        return scale;
    }
    int X(double twips) const { return RoundHalfEven(twips * dpiX / 1440.0); }
    int Y(double twips) const { return RoundHalfEven(twips * dpiY / 1440.0); }
    int TwipsX(int pixels) const { return RoundHalfEven(pixels * 1440.0 / dpiX); }
    int TwipsY(int pixels) const { return RoundHalfEven(pixels * 1440.0 / dpiY); }
};

}  // namespace korvimo
