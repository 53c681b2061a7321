#include "update/progress_display_win32.h"

#include <algorithm>
#include <string>

#include "common/rounding.h"
#include "win32/guard_win32.h"

namespace korvimo {

namespace {

constexpr COLORREF kBarBackground = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBarColour = RGB(0, 0, 0xC0);

// The persistent image of one bar.
struct ProgressImage {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
};

ProgressImage* ImageOf(HWND bar) {
    return reinterpret_cast<ProgressImage*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
}

void PaintFromImage(HWND bar) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(bar, &ps);
    ProgressImage* image = ImageOf(bar);
    RECT client;
    GetClientRect(bar, &client);
    if (image && image->bitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, image->bitmap);
        BitBlt(dc, 0, 0, image->width, image->height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else {
        HBRUSH white = CreateSolidBrush(kBarBackground);
        FillRect(dc, &client, white);
        DeleteObject(white);
    }
    EndPaint(bar, &ps);
}

LRESULT CALLBACK ProgressBarProc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ProgressImage));
            break;
        case WM_NCDESTROY: {
            ProgressImage* image = ImageOf(bar);
            SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
            if (image) {
                if (image->bitmap) DeleteObject(image->bitmap);
                delete image;
            }
            break;
        }
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers everything
        case WM_PAINT:
            PaintFromImage(bar);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(bar, message, wparam, lparam);
}

}  // namespace

void RegisterProgressBarClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GuardedProc<ProgressBarProc>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kProgressBarClass;
    RegisterClassExW(&wc);  // a second registration fails harmlessly
}

void DrawProgress(HWND bar, int percent) {
    ProgressImage* image = ImageOf(bar);
    if (!image) return;
    percent = std::clamp(percent, 0, 100);

    RECT client;
    GetClientRect(bar, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;

    HDC screen = GetDC(bar);
    if (!image->bitmap || image->width != width || image->height != height) {
        if (image->bitmap) DeleteObject(image->bitmap);
        image->bitmap = CreateCompatibleBitmap(screen, width, height);
        image->width = width;
        image->height = height;
    }
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(bar, screen);
    if (!image->bitmap || !memory) {
        if (memory) DeleteDC(memory);
        return;
    }
    HGDIOBJ old_bitmap = SelectObject(memory, image->bitmap);

    HBRUSH background = CreateSolidBrush(kBarBackground);
    FillRect(memory, &client, background);
    DeleteObject(background);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ old_font = SelectObject(memory, font);
    std::wstring text = (percent == 0 ? std::wstring() : std::to_wstring(percent)) + L"%";
    SIZE extent{};
    GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &extent);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, kBarColour);
    // x runs 0..100 across the bar: the text's middle sits at 50.
    int text_x = RoundHalfEven(width / 2.0 - extent.cx / 2.0);
    int text_y = RoundHalfEven((height - extent.cy) / 2.0);
    TextOutW(memory, text_x, text_y, text.c_str(), static_cast<int>(text.size()));

    // Not-xor: white under the box turns to the bar colour, the bar-coloured
    // text under it turns white.
    int box_right = RoundHalfEven(percent * width / 100.0);
    if (box_right > 0) {
        int old_mode = SetROP2(memory, R2_NOTXORPEN);
        HPEN pen = CreatePen(PS_SOLID, 1, kBarColour);
        HBRUSH fill = CreateSolidBrush(kBarColour);
        HGDIOBJ old_pen = SelectObject(memory, pen);
        HGDIOBJ old_brush = SelectObject(memory, fill);
        Rectangle(memory, 0, 0, box_right, height);
        SelectObject(memory, old_brush);
        SelectObject(memory, old_pen);
        DeleteObject(fill);
        DeleteObject(pen);
        SetROP2(memory, old_mode);
    }

    SelectObject(memory, old_font);
    SelectObject(memory, old_bitmap);
    DeleteDC(memory);

    InvalidateRect(bar, nullptr, FALSE);
    UpdateWindow(bar);
}

void SetTopmost(HWND window, bool topmost) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
}

}  // namespace korvimo
