#pragma once
#include <windows.h>

namespace korvimo {

struct WindowClassSpec {
    const wchar_t* name;
    WNDPROC proc;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    UINT style = 0;
};

inline bool RegisterWindowClass(HINSTANCE instance, const WindowClassSpec& spec) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = spec.style;
    wc.lpfnWndProc = spec.proc;
    wc.hInstance = instance;
    wc.hCursor = spec.cursor;
    wc.hbrBackground = spec.background;
    wc.hIcon = spec.icon;
    wc.hIconSm = spec.icon;
    wc.lpszClassName = spec.name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace korvimo
