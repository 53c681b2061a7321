// The GIF encoder on pictures of any small size and content: giflib must read
// back the same picture, palette and transparency, whatever the row padding.
//
// Input: width (2 bytes), height, flags, transparent index, number of
// distinct pixel values, then pixel values repeated as far as needed.
// Flags bit 0: transparency; bits 1-2: padding bytes after each row.
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <vector>

#include "gif_giflib_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    // Wide enough for several dictionary resets in a row, small enough to keep a run short.
    const int32_t width = 1 + (data[0] | data[1] << 8) % 700;
    const int32_t height = std::min(1 + data[2] % 60, std::max(1, 6000 / width));
    const size_t stride = static_cast<size_t>(width) + ((data[3] >> 1) & 3);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height), rows(stride * height, 0xEE);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = size == 6 ? 0 : data[6 + i % (size - 6)] % (1u + data[5]);
        rows[i / width * stride + i % width] = pixels[i];
    }
    const bool transparency = (data[3] & 1) != 0;
    const korvimo::GifColourTable colours = korvimo_test::TestColours();
    const korvimo::GifPicture gif{width, height, rows.data(), stride, colours, transparency, data[4]};
    korvimo::VectorSink sink;
    const korvimo::GifEncodeStatus status = korvimo::EncodeGif(gif, sink);
    assert(status == korvimo::GifEncodeStatus::Ok);
    const korvimo_test::GiflibDecoded decoded = korvimo_test::DecodeWithGiflib(sink.bytes);
    assert(decoded.ok && decoded.screenWidth == width && decoded.screenHeight == height);
    assert(decoded.picture.width == width && decoded.picture.pixels == pixels && decoded.colours == colours);
    assert(decoded.transparentIndex == (gif.useTransparency ? gif.transparentIndex : NO_TRANSPARENT_COLOR));
    return 0;
}
