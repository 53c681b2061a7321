#pragma once
// Pictures and sinks shared by the GIF tests and the GIF fuzzer.
#include <cstdint>
#include <random>
#include <vector>

#include "gif/gif_encoder.h"

namespace korvimo_test {

struct IndexedPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width*height, row 0 = top
};

// Entries of distinct reds (15 times the index), so that a misplaced one shows.
inline korvimo::GifColourTable TestColours() {
    korvimo::GifColourTable colours{};
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i * 5);
    return colours;
}

inline IndexedPicture RandomPicture(int32_t w, int32_t h, uint32_t seed, int distinct = 256) {
    IndexedPicture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
    std::mt19937 rng(seed);
    for (auto& px : p.pixels) px = static_cast<uint8_t>(rng() % distinct);
    return p;
}

// A sink that takes `accept` bytes, then refuses every write.
struct FailingSink : korvimo::ByteSink {
    explicit FailingSink(size_t accept) : accept(accept) {}
    bool Write(const uint8_t*, size_t size) override {
        ++calls;
        if (size > accept) return false;
        accept -= size;
        return true;
    }
    size_t accept;
    int calls = 0;
};

}  // namespace korvimo_test
