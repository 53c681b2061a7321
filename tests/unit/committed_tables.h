// The code tables as committed under resources/, for tests and fuzz targets
// that convert with the real tables (KORVIMO_SOURCE_DIR names the checkout).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

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

}  // namespace korvimo::test_support
