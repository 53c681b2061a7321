#include "convert/convert_text_win32.h"

#include <string>

namespace korvimo {

void ConvertWindowText(HWND window, const CodeTables& tables, bool big5ToGb) {
    // The length in bytes may be overstated; the copy reports the true one.
    const int room = GetWindowTextLengthA(window) + 1;
    std::string bytes(static_cast<size_t>(room), '\0');
    const int length = GetWindowTextA(window, &bytes[0], room);
    bytes.resize(static_cast<size_t>(length > 0 ? length : 0));
    auto* text = reinterpret_cast<unsigned char*>(&bytes[0]);
    if (big5ToGb)
        tables.Big5ToGB(text, bytes.size(), text);
    else
        tables.GBToBig5(text, bytes.size(), text);
    SetWindowTextA(window, bytes.c_str());
}

}  // namespace korvimo
