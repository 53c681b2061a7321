#pragma once
// The edge of every window procedure and message handler. No exception may
// unwind through the system's frames that called us (it would end the
// process, and the whole history with it), so each one stops here. Running
// out of memory is told; whatever failed did nothing, and the program goes on.
#include <windows.h>

#include <new>

namespace korvimo {

// "内存不足！" in a message box titled Korvimo.
void TellOutOfMemory(HWND owner) noexcept;

template <typename Handler>
LRESULT Guarded(HWND owner, Handler&& handler, LRESULT failed = 0) noexcept {
    try {
        return handler();
    } catch (const std::bad_alloc&) {
        TellOutOfMemory(owner);
    } catch (...) {
    }
    return failed;
}

// A window procedure, or a subclass procedure, with the edge built in.
template <LRESULT(CALLBACK* Body)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Guarded(hwnd, [&] { return Body(hwnd, message, wParam, lParam); });
}

template <LRESULT(CALLBACK* Body)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return Guarded(hwnd, [&] { return Body(hwnd, message, wParam, lParam); });
}

}  // namespace korvimo
