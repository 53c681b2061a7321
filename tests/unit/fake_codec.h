#pragma once
// A stand-in for a double-byte ANSI code page: ASCII is one byte, every other
// character two (a lead byte >= 0x81 and a trail byte), as in code page 936.
#include <string>

#include "common/ansi_codec.h"

namespace korvimo::testing {

class FakeDbcsCodec : public AnsiCodec {
public:
    std::string ToAnsi(const std::u16string& text) const override {
        std::string out;
        for (char16_t c : text) {
            if (c >= 0x80) out.push_back(static_cast<char>(0x81 + (c >> 8) % 0x7E));  // the lead
            out.push_back(static_cast<char>(c < 0x80 ? c : 0x40 + (c & 0x3F)));
        }
        return out;
    }
    std::u16string FromAnsi(const std::string& bytes) const override {
        std::u16string out;
        for (unsigned char b : bytes) out.push_back(b);
        return out;
    }
};

}  // namespace korvimo::testing
