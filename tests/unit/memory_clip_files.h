#pragma once
// Picture files kept in memory for the store's tests; a write can be made to
// fail half-way, as on a full disk.
#include <algorithm>
#include <map>
#include <vector>

#include "store/clip_store.h"

namespace korvimo::testing {

struct MemoryClipFiles : ClipFiles {
    std::map<uint64_t, std::vector<uint8_t>> files;
    bool full = false;
    bool Append(uint64_t id, const uint8_t* data, size_t size) override {
        files[id].insert(files[id].end(), data, data + (full ? size / 2 : size));
        return !full;
    }
    bool Read(uint64_t id, uint64_t offset, uint8_t* data, size_t size) override {
        auto f = files.find(id);
        if (f == files.end() || offset + size > f->second.size()) return false;
        std::copy_n(f->second.begin() + offset, size, data);
        return true;
    }
    void Remove(uint64_t id) override { files.erase(id); }
};

}  // namespace korvimo::testing
