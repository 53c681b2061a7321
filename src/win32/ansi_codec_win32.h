#pragma once
#include "common/ansi_codec.h"

namespace korvimo {

// Converts with the system ANSI code page, as files and the clipboard's text use it.
class SystemAnsiCodec : public AnsiCodec {
public:
    std::string ToAnsi(const std::u16string& text) const override;
    std::u16string FromAnsi(const std::string& bytes) const override;
};

const AnsiCodec& SystemCodec();

// The program is UTF-16 inside; Win32 wide strings are the same code units.
inline const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U16(const wchar_t* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); }
inline std::u16string U16(const wchar_t* s, size_t n) { return std::u16string(reinterpret_cast<const char16_t*>(s), n); }

}  // namespace korvimo
