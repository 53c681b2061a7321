// The GIF encoder on pictures of any small size and content. Every file must
// be byte for byte the one the original string-keyed writer produces, and
// giflib must read the same picture, palette and transparency back from it.
//
// Input: width (2 bytes), height, flags, transparent index, number of
// distinct pixel values, then pixel values repeated as far as needed.
//   flags bit 0     transparency
//   flags bits 1-2  padding bytes at the end of each row (stride > width)
//   flags bit 3     a second run into a sink that refuses every byte
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "gif/gif_encoder.h"
#include "gif_giflib_decode.h"
#include "gif_string_reference.h"
#include "gif_test_support.h"

namespace {

// Large enough for several dictionary resets in a row and for the progress
// report every tenth row, small enough to keep a run short. The string-keyed
// writer is slow, so it checks the smaller pictures only; giflib reads all.
constexpr int32_t kMaxWidth = 700;
constexpr int32_t kMaxHeight = 60;
constexpr size_t kMaxPixels = 6000;
constexpr size_t kMaxPixelsForReference = 2500;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const int32_t width = 1 + static_cast<int32_t>((data[0] | data[1] << 8) % kMaxWidth);
    int32_t height = 1 + data[2] % kMaxHeight;
    height = std::min<int32_t>(height, std::max<int32_t>(1, static_cast<int32_t>(kMaxPixels / width)));
    const unsigned flags = data[3];
    const bool transparency = (flags & 1) != 0;
    const size_t padding = (flags >> 1) & 3;
    const uint8_t transparent_index = data[4];
    const unsigned distinct = 1u + data[5];
    const uint8_t* source = data + 6;
    const size_t source_size = size - 6;

    korvimo_test::IndexedPicture picture{width, height, {}};
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = source_size == 0 ? 0 : static_cast<uint8_t>(source[i % source_size] % distinct);

    // The encoder reads rows `stride` bytes apart; the padding must not show.
    const size_t stride = static_cast<size_t>(width) + padding;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0xEE);
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(picture.pixels.begin() + static_cast<size_t>(y) * width, width,
                    rows.begin() + static_cast<size_t>(y) * stride);

    korvimo::GifColourTable colours = korvimo_test::TestColours();
    colours[data[0] % colours.size()] ^= data[2];
    korvimo::GifPicture gif;
    gif.width = width;
    gif.height = height;
    gif.pixels = rows.data();
    gif.stride = stride;
    gif.colours = colours;
    gif.useTransparency = transparency;
    gif.transparentIndex = transparent_index;

    std::vector<int16_t> progress;
    korvimo::VectorSink sink;
    FUZZ_CHECK(korvimo::EncodeGif(gif, sink, [&](int16_t percent) { progress.push_back(percent); }) ==
               korvimo::GifEncodeStatus::Ok);

    if (picture.pixels.size() <= kMaxPixelsForReference) {
        std::vector<int16_t> reference_progress;
        korvimo_reference::StringKeyedGif reference;
        const std::vector<uint8_t> expected =
            reference.Encode(width, height, picture.pixels, colours, transparency, transparent_index,
                             [&](int16_t percent) { reference_progress.push_back(percent); });
        FUZZ_CHECK(sink.bytes == expected);
        FUZZ_CHECK(progress == reference_progress);
    }
    FUZZ_CHECK(progress.size() == static_cast<size_t>(height / 10));
    for (int16_t percent : progress) FUZZ_CHECK(percent >= 0 && percent <= 100);

    const korvimo_test::GiflibDecoded decoded = korvimo_test::DecodeWithGiflib(sink.bytes);
    FUZZ_CHECK(decoded.ok);
    FUZZ_CHECK(decoded.screenWidth == width && decoded.screenHeight == height);
    FUZZ_CHECK(decoded.picture.width == width && decoded.picture.height == height);
    FUZZ_CHECK(decoded.picture.pixels == picture.pixels);
    FUZZ_CHECK(decoded.colours == colours);
    FUZZ_CHECK(decoded.transparentIndex == (transparency ? transparent_index : NO_TRANSPARENT_COLOR));

    if (flags & 8) {
        korvimo_test::FailingSink refusing(0);
        FUZZ_CHECK(korvimo::EncodeGif(gif, refusing) == korvimo::GifEncodeStatus::WriteFailed);
        FUZZ_CHECK(refusing.calls >= 1);
    }

    // Pictures the file cannot describe are refused before anything is written.
    korvimo::GifPicture bad = gif;
    bad.stride = static_cast<size_t>(width) - 1;
    korvimo::VectorSink untouched;
    FUZZ_CHECK(korvimo::EncodeGif(bad, untouched) == korvimo::GifEncodeStatus::InvalidPixels);
    bad = gif;
    bad.height = -height;
    FUZZ_CHECK(korvimo::EncodeGif(bad, untouched) == korvimo::GifEncodeStatus::InvalidSize);
    FUZZ_CHECK(untouched.bytes.empty());
    return 0;
}
