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
    static ScreenScale OfDpi(int dpi) {
        ScreenScale scale;
        if (dpi > 0) scale.dpiX = scale.dpiY = dpi;
        return scale;
    }
    // A window's: the DPI of its monitor where the system tells it (Windows 10
    // 1607 and later), else the screen's.
    static ScreenScale OfWindow(HWND window) {
        using DpiOfWindow = UINT(WINAPI*)(HWND);
        static const auto dpiOf = reinterpret_cast<DpiOfWindow>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
        UINT dpi = dpiOf && window ? dpiOf(window) : 0;
        return dpi ? OfDpi(static_cast<int>(dpi)) : OfScreen();
    }
    int X(double twips) const { return TwipsToPixels(twips, dpiX); }
    int Y(double twips) const { return TwipsToPixels(twips, dpiY); }
    int TwipsX(int pixels) const { return PixelsToTwips(pixels, dpiX); }
    int TwipsY(int pixels) const { return PixelsToTwips(pixels, dpiY); }
};

}  // namespace korvimo
