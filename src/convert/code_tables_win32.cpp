#include "convert/code_tables_win32.h"

#include "resource_ids.h"

namespace korvimo {
namespace {

struct ResourceBytes {
    const void* data = nullptr;
    std::size_t size = 0;
};

// Resource memory stays mapped for the life of the module, so the pointer
// needs no release.
ResourceBytes FindCustomResource(HMODULE module, int id) {
    ResourceBytes bytes;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"CUSTOM");
    if (info == nullptr) return bytes;
    HGLOBAL handle = LoadResource(module, info);
    if (handle == nullptr) return bytes;
    const void* data = LockResource(handle);
    if (data == nullptr) return bytes;
    bytes.data = data;
    bytes.size = SizeofResource(module, info);
    return bytes;
}

}  // namespace

CodeTables LoadCodeTables(HMODULE module) {
    if (module == nullptr) module = GetModuleHandleW(nullptr);
    const ResourceBytes big5gb = FindCustomResource(module, IDR_BIG5_GB_TABLE);
    const ResourceBytes gbbig5 = FindCustomResource(module, IDR_GB_BIG5_TABLE);
    return LoadCodeTables(big5gb.data, big5gb.size, gbbig5.data, gbbig5.size);
}

}  // namespace korvimo
