#include "win32/ansi_codec_win32.h"

#include <windows.h>

namespace korvimo {

std::string SystemAnsiCodec::ToAnsi(const std::u16string& text) const {
    if (text.empty()) return {};
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::u16string SystemAnsiCodec::FromAnsi(const std::string& bytes) const {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(n > 0 ? n : 0, u'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

const AnsiCodec& SystemCodec() {
    static SystemAnsiCodec codec;
    return codec;
}

}  // namespace korvimo
