#pragma once
// Pictures and file inspection shared by the GIF tests.
#include <array>
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

inline korvimo::GifPicture View(const IndexedPicture& p, const korvimo::GifColourTable& colours,
                                bool transparency = false, uint8_t index = 0) {
    korvimo::GifPicture g;
    g.width = p.width;
    g.height = p.height;
    g.pixels = p.pixels.data();
    g.stride = static_cast<size_t>(p.width);
    g.colours = colours;
    g.useTransparency = transparency;
    g.transparentIndex = index;
    return g;
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

// The image data sub-blocks of a file our writer produced (no extensions other
// than the one Graphic Control Extension).
struct ImageData {
    bool wellFormed = false;
    std::vector<size_t> blockSizes;
    std::vector<uint8_t> bytes;  // the sub-blocks' data concatenated
};

inline ImageData ReadImageData(const std::vector<uint8_t>& file) {
    ImageData out;
    size_t pos = 13 + 768;
    if (file.size() < pos + 1) return out;
    if (file[pos] == 0x21) pos += 8;
    pos += 10;  // descriptor
    if (file.size() < pos + 1 || file[pos] != 8) return out;
    ++pos;
    while (pos < file.size() && file[pos] != 0) {
        size_t n = file[pos++];
        if (pos + n > file.size()) return out;
        out.blockSizes.push_back(n);
        out.bytes.insert(out.bytes.end(), file.begin() + pos, file.begin() + pos + n);
        pos += n;
    }
    out.wellFormed = pos + 2 == file.size() && file[pos] == 0 && file[pos + 1] == 0x3B;
    return out;
}

// Splits the packed data back into 9-bit codes.
inline std::vector<int> ReadCodes(const std::vector<uint8_t>& data) {
    std::vector<int> codes;
    size_t totalBits = data.size() * 8;
    for (size_t bit = 0; bit + 9 <= totalBits; bit += 9) {
        int code = 0;
        for (int i = 0; i < 9; ++i) {
            size_t b = bit + i;
            if (data[b / 8] & (1 << (b % 8))) code |= 1 << i;
        }
        codes.push_back(code);
    }
    return codes;
}

}  // namespace korvimo_test
