#pragma once
// The pictures of the picture-volume benchmarks, made the same way by the
// native store benchmark and by kvbench for the run through the real program:
// screenshot-like ones (flat areas, window frames, text-like strokes) and
// photo-like ones (smooth light with noise over it), each seed different.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace korvimo::bench {

enum class PictureKind { Screenshot, Photo };

inline PictureKind KindOf(int index) { return index % 2 == 0 ? PictureKind::Screenshot : PictureKind::Photo; }

// A small seeded generator, so that a run can be repeated; kvbench's soak
// draws its changes from it too.
struct MixRandom {
    uint32_t state;
    explicit MixRandom(uint32_t seed) : state(seed * 2654435761u | 1) {}
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    uint32_t Below(size_t n) { return static_cast<uint32_t>(Next() % n); }
};

// 0x00RRGGBB pixels, the top row first.
inline void FillPicture(PictureKind kind, int width, int height, int seed, uint32_t* pixels) {
    MixRandom random(static_cast<uint32_t>(seed) + 1);
    if (kind == PictureKind::Photo) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t noise = random.Next();
                auto channel = [&](int base, int shift) {
                    int v = base + static_cast<int>((noise >> shift) & 31) - 16;
                    return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v);
                };
                int r = (x * 200 / width + seed * 7) % 256, g = (y * 180 / height + 40) % 256,
                    b = ((x + y) * 120 / (width + height) + seed * 3) % 256;
                pixels[static_cast<size_t>(y) * width + x] = channel(r, 0) << 16 | channel(g, 8) << 8 | channel(b, 16);
            }
        return;
    }
    // A desktop, a few windows with title bars, and lines of "text" in them.
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) pixels[i] = 0x3A6EA5;
    for (int w = 0; w < 4; ++w) {
        // Each modulus at least 1, so pictures under four pixels a side work too.
        int left = static_cast<int>(random.Next() % std::max(width / 2, 1));
        int top = static_cast<int>(random.Next() % std::max(height / 2, 1));
        int right = left + width / 3 + static_cast<int>(random.Next() % std::max(width / 4, 1));
        int bottom = top + height / 3 + static_cast<int>(random.Next() % std::max(height / 4, 1));
        if (right > width) right = width;
        if (bottom > height) bottom = height;
        uint32_t title = 0x000080 + (random.Next() & 0x7F7F00);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) {
                uint32_t colour = y < top + 22 ? title : 0xF0F0F0;
                // Text: 9-pixel cells on 18-pixel lines, each cell a pattern of strokes.
                int line = (y - top - 30) % 18, cell = (x - left - 8) / 9;
                if (y > top + 30 && line < 11 && x > left + 8 && x < right - 8) {
                    uint32_t glyph = (static_cast<uint32_t>(cell) * 2654435761u + static_cast<uint32_t>((y - top) / 18) * 40503u + static_cast<uint32_t>(seed)) >> 7;
                    int column = (x - left - 8) % 9;
                    bool stroke = (column < 7) && (((glyph >> (column % 5)) & 1) ? line == 1 || line == 9 : column == 1 + static_cast<int>(glyph % 5));
                    if ((glyph & 7) == 0) stroke = false;  // a space
                    if (stroke) colour = 0x202020;
                }
                pixels[static_cast<size_t>(y) * width + x] = colour;
            }
    }
}

// The same picture as the clipboard offers it: a packed 32-bit bottom-up DIB
// with a 40-byte header.
inline std::vector<uint8_t> MixDib(PictureKind kind, int seed, int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    FillPicture(kind, width, height, seed, pixels.data());
    std::vector<uint8_t> dib(40 + rowBytes * height, 0);
    const uint32_t header[10] = {40, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 1 | 32 << 16};
    std::memcpy(dib.data(), header, sizeof header);
    for (int y = 0; y < height; ++y)
        std::memcpy(dib.data() + 40 + static_cast<size_t>(height - 1 - y) * rowBytes,
                    pixels.data() + static_cast<size_t>(y) * width, rowBytes);
    return dib;
}

}  // namespace korvimo::bench
