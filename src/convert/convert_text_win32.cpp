#include "convert/convert_text_win32.h"

#include <algorithm>
#include <new>
#include <string>

#include "convert/convert_text.h"
#include "win32/ansi_codec_win32.h"

namespace korvimo {

void ConvertWindowText(HWND window, const CodeTables& tables, bool big5ToGb) {
    std::u16string converted;
    try {
        const int length = GetWindowTextLengthW(window);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(std::max(0, GetWindowTextW(window, text.data(), length + 1))));
        converted = ConvertHeldText(U16(text.c_str(), text.size()), tables, SystemCodec(), big5ToGb);
    } catch (const std::bad_alloc&) {
        return;  // the box keeps its text
    }
    // Replacing the whole selection rather than setting the text leaves the
    // text before in the box's own undo, so a wrong guess of the code is one
    // Ctrl+Z away.
    SendMessageW(window, EM_SETSEL, 0, -1);
    SendMessageW(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(converted)));
}

}  // namespace korvimo
