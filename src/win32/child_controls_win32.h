#pragma once
// Child controls laid out from a table in twips, all in one font.
#include <windows.h>

#include "win32/twips_win32.h"

namespace korvimo {

struct ChildControl {
    int id;
    const wchar_t* window_class;
    const wchar_t* text;
    DWORD style;                   // besides WS_CHILD | WS_VISIBLE
    int left, top, width, height;  // twips in the parent's client area
};

template <size_t N>
void CreateChildControls(HWND parent, const ChildControl (&controls)[N], HFONT font) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    ScreenScale scale = ScreenScale::OfScreen();
    for (const ChildControl& c : controls) {
        HWND control = CreateWindowExW(0, c.window_class, c.text, WS_CHILD | WS_VISIBLE | c.style,
                                       scale.X(c.left), scale.Y(c.top), scale.X(c.width),
                                       scale.Y(c.height), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

}  // namespace korvimo
