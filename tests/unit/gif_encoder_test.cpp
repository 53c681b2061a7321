#include "gif/gif_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "gif_test_support.h"

namespace korvimo {
namespace {

using namespace korvimo_test;

// Encodes from rows wider than the picture, as in a DIB, padded with junk the file must not show.
GifEncodeStatus Encode(const IndexedPicture& p, ByteSink& sink, int transparent = -1) {
    const size_t stride = static_cast<size_t>(p.width) + 3;
    std::vector<uint8_t> rows(stride * p.height, 0xAB);
    for (int32_t y = 0; y < p.height; ++y)
        std::copy_n(&p.pixels[static_cast<size_t>(y) * p.width], p.width, &rows[y * stride]);
    const GifPicture picture{p.width, p.height, rows.data(), stride, TestColours(), transparent >= 0,
                             static_cast<uint8_t>(transparent)};
    return EncodeGif(picture, sink);
}

// FNV-1a, to compare whole files with the ones the original string-keyed
// writer (kept with the benchmarks in bench/gif) makes of the same pictures.
uint64_t Digest(const std::vector<uint8_t>& bytes) {
    uint64_t digest = 14695981039346656037ull;
    for (uint8_t b : bytes) digest = (digest ^ b) * 1099511628211ull;
    return digest;
}

// The original writer's files (GIF89a and a control extension only with a
// transparent index, a clear code at every row start and in place of a 254th
// dictionary entry, 255-byte sub-blocks but the last), byte for byte.
TEST(GifEncoderTest, FilesAreTheOriginalWriters) {
    const struct {
        IndexedPicture picture;
        uint64_t digest;
        int transparent = -1;
    } suite[] = {
        {RandomPicture(1, 226, 2), 0x35d992d08fc6aa10},  // 510 bytes of data: two full sub-blocks
        {RandomPicture(2, 75, 3), 0xc37a23a75a253a37},   // 255 bytes
        {RandomPicture(97, 61, 5), 0x800b26c7ba7833da, 254},
        {RandomPicture(211, 40, 6, 2), 0xcde167f4450f8ca4},  // few colours: the dictionary is hit often
        {RandomPicture(3000, 3, 8), 0x28716f84106b7509},    // several clear codes a row
        // One long chain of entries fills the dictionary in the middle of the row.
        {RandomPicture(kGifMaxSide, 2, 1, 1), 0xcceaedbdf3bd82ec},
    };
    for (const auto& item : suite) {
        const IndexedPicture& p = item.picture;
        SCOPED_TRACE(testing::Message() << p.width << "x" << p.height);
        VectorSink sink;
        ASSERT_EQ(Encode(p, sink, item.transparent), GifEncodeStatus::Ok);
        EXPECT_EQ(Digest(sink.bytes), item.digest);
    }
}

TEST(GifEncoderTest, RefusesBadPicturesBeforeWritingAnything) {
    const uint8_t px[4] = {};
    const std::pair<GifPicture, GifEncodeStatus> cases[] = {
        {{kGifMaxSide + 1, 1, px, 40000}, GifEncodeStatus::InvalidSize},
        {{1, kGifMaxSide + 1, px, 1}, GifEncodeStatus::InvalidSize},
        {{0, 1, px, 1}, GifEncodeStatus::InvalidSize},
        {{1, -5, px, 1}, GifEncodeStatus::InvalidSize},
        {{2, 2, nullptr, 2}, GifEncodeStatus::InvalidPixels},
        {{4, 1, px, 3}, GifEncodeStatus::InvalidPixels},
    };
    for (const auto& [picture, status] : cases) {
        VectorSink sink;
        EXPECT_EQ(EncodeGif(picture, sink), status);
        EXPECT_TRUE(sink.bytes.empty());
    }
}

TEST(GifEncoderTest, ProgressComesAfterEveryTenthRowAndASinkFailureStopsTheEncoding) {
    const IndexedPicture tall = RandomPicture(7, 25, 1);
    std::vector<int16_t> percents;
    VectorSink whole;
    EncodeGif({7, 25, tall.pixels.data(), 7}, whole, [&](int16_t percent) { percents.push_back(percent); });
    EXPECT_EQ(percents, (std::vector<int16_t>{40, 80}));  // rows 10 and 20 of 25
    const IndexedPicture p = RandomPicture(1000, 400, 22);  // several buffers of output
    FailingSink sink(0);
    EXPECT_EQ(Encode(p, sink), GifEncodeStatus::WriteFailed);
    EXPECT_EQ(sink.calls, 1);
    FailingSink late(100000);  // fails on a later buffer
    EXPECT_EQ(Encode(p, late), GifEncodeStatus::WriteFailed);
}

}  // namespace
}  // namespace korvimo
