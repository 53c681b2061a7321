#include "win32/guard_win32.h"

namespace korvimo {

void TellOutOfMemory(HWND owner) noexcept {
    MessageBoxW(owner, L"内存不足！", L"Korvimo", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace korvimo
