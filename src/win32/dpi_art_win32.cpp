#include "win32/dpi_art_win32.h"

#include <map>
#include <vector>

#include "common/twips.h"
#include "resource_ids.h"
#include "win32/twips_win32.h"

namespace korvimo {

int ArtResource(int resource, int dpi) { return resource + IDR_ART_SCALE_STEP * ArtScaleIndex(dpi); }

HIMAGELIST LoadImageStrip(HINSTANCE instance, int resource, int dpi) {
    auto load = [instance](int id) {
        return static_cast<HBITMAP>(
            LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    };
    HBITMAP strip = load(ArtResource(resource, dpi));
    if (!strip) strip = load(resource);
    BITMAP size{};
    int side = strip && GetObjectW(strip, sizeof size, &size) && size.bmHeight > 0 ? size.bmHeight : 16;
    HIMAGELIST list = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 10, 0);
    if (strip) {
        ImageList_AddMasked(list, strip, RGB(255, 0, 255));
        DeleteObject(strip);
    }
    return list;
}

HFONT CreateMessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    int systemDpi = ScreenScale::OfScreen().dpiY;
    LONG& height = metrics.lfMessageFont.lfHeight;
    if (dpi > 0 && dpi != systemDpi) height = MulDiv(height, dpi, systemDpi);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

namespace {

constexpr UINT_PTR kFollowerId = 0x4B44;

struct Follower {
    int dpi;
    std::vector<HFONT> fonts;  // made at the last change, in use by the controls
};

BOOL CALLBACK Collect(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

void Rescale(HWND window, Follower& follower, int dpi, const RECT& place) {
    std::vector<HWND> children;
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
    std::map<HFONT, HFONT> scaled;
    std::vector<HFONT> made;
    auto scale = [&](LONG v) { return MulDiv(v, dpi, follower.dpi); };
    for (HWND child : children) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, scale(r.left), scale(r.top), scale(r.right) - scale(r.left),
                     scale(r.bottom) - scale(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        LOGFONTW face;
        if (!font) continue;
        if (!scaled.count(font) && GetObjectW(font, sizeof face, &face)) {
            face.lfHeight = scale(face.lfHeight);
            face.lfWidth = scale(face.lfWidth);
            scaled[font] = CreateFontIndirectW(&face);
            if (scaled[font]) made.push_back(scaled[font]);
        }
        if (scaled[font]) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled[font]), TRUE);
    }
    for (HFONT font : follower.fonts) DeleteObject(font);
    follower.fonts = made;
    follower.dpi = dpi;
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT CALLBACK FollowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* follower = reinterpret_cast<Follower*>(data);
    if (message == WM_DPICHANGED && HIWORD(wParam) && HIWORD(wParam) != follower->dpi)
        Rescale(window, *follower, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    if (message == WM_NCDESTROY) {
        for (HFONT font : follower->fonts) DeleteObject(font);
        delete follower;
        RemoveWindowSubclass(window, FollowProc, kFollowerId);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void FollowDpiChanges(HWND window) {
    // The windows are laid out at the screen's DPI when they are made.
    auto* follower = new Follower{ScreenScale::OfScreen().dpiY, {}};
    if (!window || !SetWindowSubclass(window, FollowProc, kFollowerId, reinterpret_cast<DWORD_PTR>(follower)))
        delete follower;
}

}  // namespace korvimo
