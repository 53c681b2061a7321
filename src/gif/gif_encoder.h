#pragma once
// Our own GIF writer: one image, a 256-entry global colour table and LZW data
// written with fixed 9-bit codes (the dictionary is cleared at every row start
// and whenever it holds 253 entries, so no code ever needs a tenth bit).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "gif/byte_sink.h"

namespace korvimo {

// The file stores sizes as 16-bit signed values in our writer's convention.
constexpr int32_t kGifMaxSide = 32767;

// 256 entries of red, green, blue, in file order.
using GifColourTable = std::array<uint8_t, 768>;

struct GifPicture {
    int32_t width = 0;
    int32_t height = 0;
    // One palette index per pixel; row 0 is the top row of the picture, rows
    // are `stride` bytes apart (stride >= width, e.g. a 4-byte-aligned DIB line).
    const uint8_t* pixels = nullptr;
    size_t stride = 0;
    GifColourTable colours{};
    // True writes GIF89a with a Graphic Control Extension naming the index.
    bool useTransparency = false;
    uint8_t transparentIndex = 0;
};

enum class GifEncodeStatus {
    Ok,
    InvalidSize,    // width or height not in 1..kGifMaxSide; nothing written
    InvalidPixels,  // no pixel buffer or stride shorter than a row; nothing written
    WriteFailed,    // the sink refused bytes; the output is incomplete
};

// Percentage of rows done, raised after every tenth row.
using GifProgress = std::function<void(int16_t percent)>;

// Writes the whole file to `sink`. Sizes and pixels are checked before the
// first byte goes out, so a refused picture leaves the sink untouched.
GifEncodeStatus EncodeGif(const GifPicture& picture, ByteSink& sink,
                          const GifProgress& progress = nullptr);

// RoundHalfEven(row * 100.0 / height) as reported after `row` rows (1-based).
int16_t GifProgressPercent(int32_t row, int32_t height);

// The first table entry whose red + 256*green + 65536*blue equals `colour`,
// or 0 when no entry does.
uint8_t FindTransparentIndex(const GifColourTable& colours, uint32_t colour);

}  // namespace korvimo
