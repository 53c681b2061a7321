// The clipboard-viewer hook: the main window's procedure is replaced so that
// the chain's two messages are served before the window sees them.
#include "app/form1_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {

namespace {
Form1* g_hooked = nullptr;

void PassOn(uint32_t next, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(reinterpret_cast<HWND>(static_cast<uintptr_t>(next)), message, wParam, lParam,
                        SMTO_ABORTIFHUNG, kPassOnTimeoutMs, &ignored);
}
}  // namespace

void Form1::HookWindow(HWND hwnd) {
    g_hooked = this;
    PrevWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form1::ClipWndProc)));
}

LRESULT CALLBACK Form1::ClipWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form1* self = g_hooked;
    switch (message) {
        case WM_DRAWCLIPBOARD:
            // The next viewer must see the notice before we read the clipboard.
            if (self->chain_.ForwardDrawClipboard()) PassOn(self->chain_.NextViewer, message, 0, 0);
            [[fallthrough]];
        case WM_CLIPBOARDUPDATE:
            // The listener's notice reaches us whatever the viewers ahead of
            // us in the chain do; the sequence number keeps one change one capture.
            Guarded(hwnd, [self] {
                self->CaptureClipboard();
                return LRESULT{0};
            });
            break;
        case WM_CHANGECBCHAIN: {
            uint32_t leaving = static_cast<uint32_t>(wParam);
            uint32_t following = static_cast<uint32_t>(lParam);
            if (self->chain_.OnChangeCbChain(leaving, following))
                PassOn(self->chain_.NextViewer, message, wParam, lParam);
            break;
        }
        default:
            break;
    }
    return CallWindowProcW(self->PrevWndProc, hwnd, message, wParam, lParam);
}

}  // namespace korvimo
