#pragma once
// Strings are UTF-16 inside the program; files, the clipboard's text, socket
// data and the code tables are bytes in the system ANSI code page (936 on the
// systems we serve). The core converts through this interface so that it never
// needs the platform: the Win32 shell implements it with the ANSI code page,
// tests with a codec of their own.
#include <string>

namespace korvimo {

class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;
    // Characters the code page cannot represent become its default character.
    virtual std::string ToAnsi(const std::u16string& text) const = 0;
    virtual std::u16string FromAnsi(const std::string& bytes) const = 0;
};

}  // namespace korvimo
