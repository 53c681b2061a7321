#include "update/open_document_win32.h"

#include <shellapi.h>

namespace korvimo {

void OpenDocument(HWND window, const std::wstring& target) {
    ShellExecuteW(window, L"Open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace korvimo
