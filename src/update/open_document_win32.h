#pragma once
// Opening a file or URL through the shell, shared by the update window and
// the help menu.
#include <windows.h>

#include <string>

namespace korvimo {

// ShellExecuteW(window, "Open", target, no parameters, no folder,
// SW_SHOWNORMAL). The result is not examined: a failing open is silent.
// Callers decide whether a target is safe to hand to the shell.
void OpenDocument(HWND window, const std::wstring& target);

}  // namespace korvimo
