#pragma once
#include <windows.h>

namespace korvimo {

struct WindowClassTraits {
    const wchar_t* name;
    WNDPROC proc;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    UINT style = 0;
};

inline bool RegisterWindowClass(HINSTANCE instance, const WindowClassTraits& traits) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = traits.style;
    wc.lpfnWndProc = traits.proc;
    wc.hInstance = instance;
    wc.hCursor = traits.cursor;
    wc.hbrBackground = traits.background;
    wc.hIcon = traits.icon;
    wc.hIconSm = traits.icon;
    wc.lpszClassName = traits.name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace korvimo
