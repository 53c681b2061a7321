#pragma once
// Loads the code tables from the program's own CUSTOM resources.
#include <windows.h>

#include "convert/code_tables.h"

namespace korvimo {

// Reads resource IDR_BIG5_GB_TABLE into the Big5 -> GB table and
// IDR_GB_BIG5_TABLE into the GB -> Big5 table, both of type "CUSTOM", from
// `module` (the program's own file when null). A resource that is missing or
// short is taken as far as it goes; the pairs it leaves out pass through the
// conversion unchanged.
CodeTables LoadCodeTables(HMODULE module = nullptr);

}  // namespace korvimo
