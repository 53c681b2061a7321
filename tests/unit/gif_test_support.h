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

// Every entry a different colour, so that a misplaced entry shows.
inline korvimo::GifColourTable TestColours() {
    korvimo::GifColourTable colours{};
    for (int i = 0; i < 256; ++i) {
        colours[i * 3] = static_cast<uint8_t>(i);
        colours[i * 3 + 1] = static_cast<uint8_t>(255 - i);
        colours[i * 3 + 2] = static_cast<uint8_t>((i * 7) & 0xFF);
    }
    return colours;
}

inline IndexedPicture RandomPicture(int32_t w, int32_t h, uint32_t seed, int distinct = 256) {
    IndexedPicture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
    std::mt19937 rng(seed);
    for (auto& px : p.pixels) px = static_cast<uint8_t>(rng() % distinct);
    return p;
}

// A sink that takes `accept` bytes, then refuses every write.
class FailingSink : public korvimo::ByteSink {
public:
    explicit FailingSink(size_t accept) : accept_(accept) {}
    bool Write(const uint8_t*, size_t size) override {
        ++calls;
        if (size > accept_) return false;
        accept_ -= size;
        return true;
    }
    int calls = 0;

private:
    size_t accept_;
};

}  // namespace korvimo_test
