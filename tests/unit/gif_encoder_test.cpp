// The GIF writer: files giflib reads back as the picture given, holding the
// very codes of a plain LZW coder with our dictionary rules, in the layout
// the original writer used.
#include "gif/gif_encoder.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "gif_giflib_decode.h"
#include "gif_test_support.h"

namespace korvimo {
namespace {

using korvimo_test::IndexedPicture;
using korvimo_test::RandomPicture;
using korvimo_test::TestColours;

// Encodes from rows further apart than the width, as in a DIB, with junk in
// the padding: none of it may show in the file.
GifEncodeStatus EncodePadded(const IndexedPicture& p, ByteSink& sink, bool transparency = false,
                             uint8_t index = 0, const GifProgress& progress = nullptr) {
    GifPicture g;
    g.width = p.width;
    g.height = p.height;
    g.stride = static_cast<size_t>(p.width) + 3;
    std::vector<uint8_t> rows(g.stride * p.height, 0xAB);
    for (int32_t y = 0; y < p.height; ++y)
        std::copy_n(&p.pixels[static_cast<size_t>(y) * p.width], p.width, &rows[y * g.stride]);
    g.pixels = rows.data();
    g.colours = TestColours();
    g.useTransparency = transparency;
    g.transparentIndex = index;
    return EncodeGif(g, sink, progress);
}

std::vector<uint8_t> Encode(const IndexedPicture& p, bool transparency = false, uint8_t index = 0) {
    VectorSink sink;
    EXPECT_EQ(EncodePadded(p, sink, transparency, index), GifEncodeStatus::Ok);
    return sink.bytes;
}

// The sub-blocks of the image data and the 9-bit codes in them; well formed
// when the trailer follows the last one (the file has no extension but the
// one Graphic Control Extension).
struct ImageData {
    bool wellFormed = false;
    std::vector<size_t> blockSizes;
    std::vector<uint8_t> bytes;
    std::vector<int> codes;
};

ImageData ReadImageData(const std::vector<uint8_t>& file) {
    ImageData out;
    size_t pos = 13 + 768;
    if (file.size() > pos && file[pos] == 0x21) pos += 8;
    pos += 11;  // the image descriptor and the minimum code size
    while (pos < file.size() && file[pos] != 0 && pos + 1 + file[pos] <= file.size()) {
        out.blockSizes.push_back(file[pos]);
        out.bytes.insert(out.bytes.end(), file.begin() + pos + 1, file.begin() + pos + 1 + file[pos]);
        pos += 1 + file[pos];
    }
    out.wellFormed = pos + 2 == file.size() && file[pos] == 0 && file[pos + 1] == 0x3B;
    for (size_t bit = 0; bit + 9 <= out.bytes.size() * 8; bit += 9) {
        int code = 0;
        for (size_t i = 0; i < 9; ++i) code |= (out.bytes[(bit + i) / 8] >> ((bit + i) % 8) & 1) << i;
        out.codes.push_back(code);
    }
    return out;
}

// A plain greedy LZW coder: the dictionary starts afresh with a clear code
// at every row, its first entry (258) is the lone second pixel, which no
// lookup ever finds, and a miss with 253 entries writes a clear code instead
// of adding one, so that no code needs a tenth bit.
std::vector<int> ExpectedCodes(const IndexedPicture& p) {
    std::vector<int> codes;
    for (int32_t y = 0; y < p.height; ++y) {
        const uint8_t* row = &p.pixels[static_cast<size_t>(y) * p.width];
        std::map<std::pair<int, int>, int> entries;
        codes.push_back(256);
        int pending = row[0];
        for (int32_t x = 1; x < p.width; ++x) {
            const std::pair<int, int> key{x == 1 ? -1 : pending, row[x]};
            const auto found = entries.find(key);
            if (found != entries.end()) {
                pending = found->second;
                continue;
            }
            codes.push_back(pending);
            if (entries.size() == 253) {
                codes.push_back(256);
                entries.clear();
            } else {
                entries[key] = 258 + static_cast<int>(entries.size());
            }
            pending = row[x];
        }
        codes.push_back(pending);
    }
    codes.push_back(257);
    return codes;
}

IndexedPicture Generate(int32_t w, int32_t h, uint8_t (*pixel)(int32_t x, int32_t y)) {
    IndexedPicture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) p.pixels[static_cast<size_t>(y) * w + x] = pixel(x, y);
    return p;
}

TEST(GifEncoderTest, PicturesReadBackAndHoldTheCodesOfAPlainCoder) {
    const struct {
        const char* name;
        IndexedPicture picture;
        bool transparency;
        uint8_t index;
    } suite[] = {
        {"1x1", RandomPicture(1, 1, 1), false, 0},
        {"width 1, 510 data bytes", RandomPicture(1, 226, 2), false, 0},
        {"255 data bytes", RandomPicture(2, 75, 3), false, 0},
        {"height 1", RandomPicture(700, 1, 4), false, 0},
        {"random 256", RandomPicture(97, 61, 5), true, 254},
        {"random 2 colours", RandomPicture(211, 40, 6, 2), false, 0},
        {"random 5 colours", RandomPicture(640, 30, 7, 5), false, 0},
        {"several resets a row", RandomPicture(3000, 3, 8), false, 0},
        {"long matches", RandomPicture(1201, 37, 9, 3), false, 0},
        {"horizontal gradient", Generate(512, 20, [](int32_t x, int32_t) { return uint8_t(x / 2); }),
         true, 0},
        {"vertical gradient", Generate(64, 256, [](int32_t, int32_t y) { return uint8_t(y); }), false, 0},
        {"diagonal stripes", Generate(333, 77, [](int32_t x, int32_t y) { return uint8_t((x + y) / 5 % 7); }),
         false, 0},
        {"flat", Generate(800, 12, [](int32_t, int32_t) { return uint8_t(124); }), false, 0},
        // One long chain of entries fills the dictionary in the middle of the row.
        {"flat widest", Generate(kGifMaxSide, 2, [](int32_t, int32_t) { return uint8_t(0); }), false, 0},
        {"index 255 runs", Generate(1000, 4, [](int32_t x, int32_t) { return uint8_t(x % 3 ? 255 : 0); }),
         false, 0},
    };
    for (const auto& item : suite) {
        SCOPED_TRACE(item.name);
        const IndexedPicture& p = item.picture;
        const std::vector<uint8_t> file = Encode(p, item.transparency, item.index);
        // Screen and image of the picture's size, the 256 colours; GIF89a and
        // the control extension (restore to background, transparent flag, no
        // delay) only with a transparent index.
        const uint8_t w0 = p.width & 0xFF, w1 = p.width >> 8, h0 = p.height & 0xFF, h1 = p.height >> 8;
        const std::vector<uint8_t> screen = {'G', 'I', 'F', '8', uint8_t(item.transparency ? '9' : '7'),
                                             'a', w0, w1, h0, h1, 0xF7, 0, 0};
        EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 13), screen);
        const auto colours = TestColours();
        EXPECT_TRUE(std::equal(colours.begin(), colours.end(), file.begin() + 13));
        const std::vector<uint8_t> extension = {0x21, 0xF9, 0x04, 0x09, 0x00, 0x00, item.index, 0x00};
        const size_t d = 781 + (item.transparency ? extension.size() : 0);
        if (item.transparency) EXPECT_EQ(std::vector<uint8_t>(file.begin() + 781, file.begin() + d), extension);
        const std::vector<uint8_t> descriptor = {0x2C, 0, 0, 0, 0, w0, w1, h0, h1, 0x07, 8};
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + d, file.begin() + d + 11), descriptor);

        const ImageData data = ReadImageData(file);
        EXPECT_TRUE(data.wellFormed);
        EXPECT_EQ(data.codes, ExpectedCodes(p));
        // Full sub-blocks but the last, and no byte after the end code's.
        EXPECT_EQ(data.bytes.size(), (data.codes.size() * 9 + 7) / 8);
        for (size_t i = 0; i < data.blockSizes.size(); ++i)
            EXPECT_EQ(data.blockSizes[i], std::min<size_t>(255, data.bytes.size() - 255 * i));

        const korvimo_test::GiflibDecoded decoded = korvimo_test::DecodeWithGiflib(file);
        ASSERT_TRUE(decoded.ok);
        EXPECT_TRUE(decoded.picture.width == p.width && decoded.picture.height == p.height);
        EXPECT_TRUE(decoded.picture.pixels == p.pixels);
        EXPECT_TRUE(decoded.colours == colours);
        EXPECT_EQ(decoded.transparentIndex, item.transparency ? item.index : NO_TRANSPARENT_COLOR);
    }
}

TEST(GifEncoderTest, FindTransparentIndexTakesFirstMatchElseZero) {
    GifColourTable colours{};  // all black
    for (size_t i : {10 * 3, 20 * 3}) std::copy_n("\x01\x02\x03", 3, &colours[i]);
    colours[255 * 3 + 2] = 0xFF;
    EXPECT_EQ(FindTransparentIndex(colours, 1 + 256 * 2 + 65536 * 3), 10);
    EXPECT_EQ(FindTransparentIndex(colours, 0xFF0000), 255);
    EXPECT_EQ(FindTransparentIndex(colours, 0x123456), 0);    // absent
    EXPECT_EQ(FindTransparentIndex(colours, 0x01000000), 0);  // not an RGB value
    colours[0] = 9;  // black no longer at 0: the first black entry is 1
    EXPECT_EQ(FindTransparentIndex(colours, 0), 1);
}

TEST(GifEncoderTest, ProgressAfterEveryTenthRowRoundedHalfToEven) {
    const std::pair<int32_t, std::vector<int16_t>> cases[] = {
        {9, {}}, {25, {40, 80}}, {80, {12, 25, 38, 50, 62, 75, 88, 100}}, {30, {33, 67, 100}}};
    for (const auto& [height, expected] : cases) {
        std::vector<int16_t> progress;
        VectorSink sink;
        EncodePadded(RandomPicture(3, height, height), sink, false, 0, [&](int16_t v) { progress.push_back(v); });
        EXPECT_EQ(progress, expected) << height;
    }
    EXPECT_EQ(GifProgressPercent(kGifMaxSide - 7, kGifMaxSide), 100);  // 99.98 rounds up
}

TEST(GifEncoderTest, RefusesBadPicturesBeforeWritingAnything) {
    const uint8_t pixels[4] = {};
    const auto refusal = [](int32_t w, int32_t h, const uint8_t* px, size_t stride) {
        GifPicture view;
        view.width = w;
        view.height = h;
        view.pixels = px;
        view.stride = stride;
        VectorSink sink;
        int calls = 0;
        const GifEncodeStatus status = EncodeGif(view, sink, [&](int16_t) { ++calls; });
        EXPECT_TRUE(sink.bytes.empty() && calls == 0);
        return status;
    };
    EXPECT_EQ(refusal(kGifMaxSide + 1, 1, pixels, 40000), GifEncodeStatus::InvalidSize);
    EXPECT_EQ(refusal(1, kGifMaxSide + 1, pixels, 1), GifEncodeStatus::InvalidSize);
    EXPECT_EQ(refusal(0, 1, pixels, 1), GifEncodeStatus::InvalidSize);
    EXPECT_EQ(refusal(1, -5, pixels, 1), GifEncodeStatus::InvalidSize);
    EXPECT_EQ(refusal(2, 2, nullptr, 2), GifEncodeStatus::InvalidPixels);
    EXPECT_EQ(refusal(4, 1, pixels, 3), GifEncodeStatus::InvalidPixels);
}

TEST(GifEncoderTest, SinkFailureIsReportedAndStopsTheEncoding) {
    const IndexedPicture p = RandomPicture(1000, 400, 22);  // several buffers of output
    korvimo_test::FailingSink sink(0);
    std::vector<int16_t> progress;
    EXPECT_EQ(EncodePadded(p, sink, false, 0, [&](int16_t v) { progress.push_back(v); }),
              GifEncodeStatus::WriteFailed);
    EXPECT_EQ(sink.calls, 1);
    EXPECT_LT(progress.size(), 40u);
    korvimo_test::FailingSink late(100000);  // fails on a later buffer
    EXPECT_EQ(EncodePadded(p, late), GifEncodeStatus::WriteFailed);
}

}  // namespace
}  // namespace korvimo
