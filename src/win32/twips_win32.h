#pragma once
// The screen's pixels per inch, and conversions between twips and pixels at it.
#include <windows.h>

#include "common/twips.h"

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
    int X(double twips) const { return TwipsToPixels(twips, dpiX); }
    int Y(double twips) const { return TwipsToPixels(twips, dpiY); }
    int TwipsX(int pixels) const { return PixelsToTwips(pixels, dpiX); }
    int TwipsY(int pixels) const { return PixelsToTwips(pixels, dpiY); }
};

}  // namespace korvimo
