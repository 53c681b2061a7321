// The code tables as committed under resources/, for tests and fuzz targets
// that convert with the real tables (KORVIMO_SOURCE_DIR names the checkout),
// and a code page to convert through.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "common/ansi_codec.h"
#include "convert/code_tables.h"

namespace korvimo::test_support {

inline const CodeTables& CommittedTables() {
    static const CodeTables tables = [] {
        const auto read = [](const char* name) {
            std::ifstream in(std::string(KORVIMO_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        };
        const std::string big5gb = read("big5gb.tbl"), gbbig5 = read("gbbig5.tbl");
        return LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    }();
    return tables;
}

// A stand-in for the ANSI code page that holds only U+0000..U+00FF, one byte each.
struct Latin1Codec : AnsiCodec {
    std::string ToAnsi(const std::u16string& text) const override {
        std::string bytes;
        for (char16_t c : text) bytes.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return bytes;
    }
    std::u16string FromAnsi(const std::string& bytes) const override {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        return {b, b + bytes.size()};
    }
};

}  // namespace korvimo::test_support
