// The fast encoder against the string-keyed original, byte for byte, plus the
// file layout rules a decoder relies on.
#include "gif/gif_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif_string_reference.h"
#include "gif_test_support.h"

namespace korvimo {
namespace {

using korvimo_test::FailingSink;
using korvimo_test::IndexedPicture;
using korvimo_test::RandomPicture;
using korvimo_test::ReadCodes;
using korvimo_test::ReadImageData;
using korvimo_test::TestColours;
using korvimo_test::View;

std::vector<uint8_t> EncodeOurs(const IndexedPicture& p, bool transparency = false,
                                uint8_t index = 0, std::vector<int16_t>* progress = nullptr) {
    VectorSink sink;
    GifProgress report;
    if (progress) report = [progress](int16_t v) { progress->push_back(v); };
    EXPECT_EQ(EncodeGif(View(p, TestColours(), transparency, index), sink, report),
              GifEncodeStatus::Ok);
    return sink.bytes;
}

std::vector<uint8_t> EncodeReference(const IndexedPicture& p, bool transparency = false,
                                     uint8_t index = 0, std::vector<int16_t>* progress = nullptr) {
    korvimo_reference::StringKeyedGif reference;
    std::function<void(int16_t)> report;
    if (progress) report = [progress](int16_t v) { progress->push_back(v); };
    return reference.Encode(p.width, p.height, p.pixels, TestColours(), transparency, index,
                            report);
}

IndexedPicture Generate(int32_t w, int32_t h, uint8_t (*pixel)(int32_t x, int32_t y)) {
    IndexedPicture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h)};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) p.pixels[static_cast<size_t>(y) * w + x] = pixel(x, y);
    return p;
}

struct NamedPicture {
    std::string name;
    IndexedPicture picture;
    bool transparency = false;
    uint8_t index = 0;
};

std::vector<NamedPicture> PictureSuite() {
    std::vector<NamedPicture> suite;
    suite.push_back({"1x1", RandomPicture(1, 1, 1)});
    suite.push_back({"width 1", RandomPicture(1, 57, 2)});
    suite.push_back({"height 1", RandomPicture(300, 1, 3)});
    suite.push_back({"2x2", RandomPicture(2, 2, 4)});
    suite.push_back({"height 9", RandomPicture(31, 9, 5)});
    suite.push_back({"height 25", RandomPicture(40, 25, 6)});
    suite.push_back({"random 256", RandomPicture(97, 61, 7)});
    suite.push_back({"random 2 colours", RandomPicture(211, 40, 8, 2)});
    suite.push_back({"random 5 colours", RandomPicture(640, 30, 9, 5)});
    suite.push_back({"random wide", RandomPicture(3000, 3, 10)});
    suite.push_back({"horizontal gradient",
                     Generate(512, 20, [](int32_t x, int32_t) { return uint8_t(x / 2); })});
    suite.push_back({"vertical gradient",
                     Generate(64, 256, [](int32_t, int32_t y) { return uint8_t(y); })});
    suite.push_back({"diagonal stripes",
                     Generate(333, 77, [](int32_t x, int32_t y) { return uint8_t((x + y) / 5 % 7); })});
    suite.push_back({"flat", Generate(800, 12, [](int32_t, int32_t) { return uint8_t(124); })});
    // A flat row of 32767 pixels grows one long chain of entries and fills
    // the dictionary in the middle of the row.
    suite.push_back({"flat widest",
                     Generate(kGifMaxSide, 2, [](int32_t, int32_t) { return uint8_t(0); })});
    suite.push_back({"transparent", RandomPicture(120, 33, 11, 17), true, 200});
    suite.push_back({"index 255 runs",
                     Generate(1000, 4, [](int32_t x, int32_t) { return uint8_t(x % 3 ? 255 : 0); })});
    return suite;
}

TEST(GifEncoderTest, MatchesStringKeyedOriginalByteForByte) {
    for (const auto& item : PictureSuite()) {
        SCOPED_TRACE(item.name);
        std::vector<int16_t> ourProgress, referenceProgress;
        auto ours = EncodeOurs(item.picture, item.transparency, item.index, &ourProgress);
        auto reference = EncodeReference(item.picture, item.transparency, item.index, &referenceProgress);
        ASSERT_EQ(ours.size(), reference.size());
        EXPECT_TRUE(ours == reference);
        EXPECT_EQ(ourProgress, referenceProgress);
        EXPECT_TRUE(ReadImageData(ours).wellFormed);
    }
}

TEST(GifEncoderTest, RowPaddingBeyondWidthIsIgnored) {
    auto tight = RandomPicture(13, 21, 12);
    const size_t stride = 16;  // a DIB scan line rounded up to 4 bytes
    std::vector<uint8_t> padded(stride * tight.height, 0xAB);
    for (int32_t y = 0; y < tight.height; ++y)
        std::copy_n(&tight.pixels[static_cast<size_t>(y) * 13], 13, &padded[y * stride]);
    GifPicture view = View(tight, TestColours());
    view.pixels = padded.data();
    view.stride = stride;
    VectorSink sink;
    ASSERT_EQ(EncodeGif(view, sink), GifEncodeStatus::Ok);
    EXPECT_TRUE(sink.bytes == EncodeReference(tight));
}

TEST(GifEncoderTest, FileLayoutAroundTheImageData) {
    auto p = RandomPicture(300, 2, 13);
    auto file = EncodeOurs(p);
    ASSERT_GT(file.size(), 800u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF87a");
    EXPECT_EQ(file[6] | file[7] << 8, 300);  // logical screen = picture size
    EXPECT_EQ(file[8] | file[9] << 8, 2);
    EXPECT_EQ(file[10], 0xF7);
    EXPECT_EQ(file[11], 0);
    EXPECT_EQ(file[12], 0);
    auto colours = TestColours();
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), file.begin() + 13));
    const size_t d = 13 + 768;
    const std::vector<uint8_t> descriptor = {0x2C, 0, 0, 0, 0, 44, 1, 2, 0, 0x07, 8};
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + d, file.begin() + d + 11), descriptor);
    EXPECT_EQ(file[file.size() - 2], 0x00);
    EXPECT_EQ(file.back(), 0x3B);
}

TEST(GifEncoderTest, TransparencyWritesGif89aAndControlExtension) {
    auto p = RandomPicture(5, 5, 14);
    auto file = EncodeOurs(p, true, 77);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");
    const std::vector<uint8_t> extension = {0x21, 0xF9, 0x04, 0x09, 0x00, 0x00, 77, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 781, file.begin() + 789), extension);
    EXPECT_EQ(file[789], 0x2C);
}

TEST(GifEncoderTest, FindTransparentIndexTakesFirstMatchElseZero) {
    GifColourTable colours{};  // all black
    colours[10 * 3] = 1;
    colours[10 * 3 + 1] = 2;
    colours[10 * 3 + 2] = 3;
    colours[20 * 3] = 1;
    colours[20 * 3 + 1] = 2;
    colours[20 * 3 + 2] = 3;
    colours[255 * 3 + 2] = 0xFF;
    EXPECT_EQ(FindTransparentIndex(colours, 1 + 256 * 2 + 65536 * 3), 10);
    EXPECT_EQ(FindTransparentIndex(colours, 0), 0);
    EXPECT_EQ(FindTransparentIndex(colours, 0xFF0000), 255);
    EXPECT_EQ(FindTransparentIndex(colours, 0x123456), 0);  // absent
    EXPECT_EQ(FindTransparentIndex(colours, 0x01000000), 0);  // not an RGB value
    colours[0] = 9;  // black no longer at 0: the first black entry is 1
    EXPECT_EQ(FindTransparentIndex(colours, 0), 1);
}

TEST(GifEncoderTest, EveryRowStartsWithClearAndWidthOneWritesClearPixel) {
    auto p = RandomPicture(1, 6, 15);
    auto codes = ReadCodes(ReadImageData(EncodeOurs(p)).bytes);
    std::vector<int> expected;
    for (uint8_t px : p.pixels) {
        expected.push_back(256);
        expected.push_back(px);
    }
    expected.push_back(257);
    EXPECT_EQ(codes, expected);
}

TEST(GifEncoderTest, IdenticalRowsGiveIdenticalCodeRuns) {
    auto row = RandomPicture(50, 1, 16, 3);
    IndexedPicture p{50, 4, {}};
    for (int i = 0; i < 4; ++i) p.pixels.insert(p.pixels.end(), row.pixels.begin(), row.pixels.end());
    auto codes = ReadCodes(ReadImageData(EncodeOurs(p)).bytes);
    ASSERT_EQ(codes.back(), 257);
    codes.pop_back();
    ASSERT_EQ(codes.size() % 4, 0u);
    size_t perRow = codes.size() / 4;
    for (int r = 1; r < 4; ++r)
        EXPECT_TRUE(std::equal(codes.begin(), codes.begin() + perRow, codes.begin() + r * perRow));
}

TEST(GifEncoderTest, DictionaryResetsMidRowKeepCodesWithinNineBits) {
    // 2000 random pixels of 256 colours: over 253 entries are needed per row.
    auto p = RandomPicture(2000, 2, 17);
    auto codes = ReadCodes(ReadImageData(EncodeOurs(p)).bytes);
    int clears = 0;
    int sinceClear = 0;
    int longest = 0;
    for (int code : codes) {
        ASSERT_LE(code, 510);
        if (code == 256) {
            ++clears;
            sinceClear = 0;
        } else if (code != 257) {
            longest = std::max(longest, ++sinceClear);
        }
    }
    EXPECT_GT(clears, 2 + 2);  // more than the two row starts
    EXPECT_EQ(longest, 254);   // a decoder's table ends at 510, never 512
}

TEST(GifEncoderTest, SubBlocksAreFullExceptTheLastAtEveryBoundary) {
    // Rows of distinct pixels never repeat a pair, so a row of width w costs
    // w + 1 codes; pick sizes whose image data is exactly the target length.
    for (size_t target : {254u, 255u, 256u, 509u, 510u, 511u, 765u, 1020u, 1021u}) {
        SCOPED_TRACE(target);
        bool found = false;
        for (int32_t w = 1; w <= 16 && !found; ++w) {
            for (int32_t h = 1; h <= 1000 && !found; ++h) {
                size_t codes = static_cast<size_t>(w + 1) * h + 1;
                if ((codes * 9 + 7) / 8 != target) continue;
                found = true;
                IndexedPicture p{w, h, {}};
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) p.pixels.push_back(uint8_t(x * 31 + y));
                auto file = EncodeOurs(p);
                EXPECT_TRUE(file == EncodeReference(p));
                auto data = ReadImageData(file);
                ASSERT_TRUE(data.wellFormed);
                EXPECT_EQ(data.bytes.size(), target);
                ASSERT_EQ(data.blockSizes.size(), (target + 254) / 255);
                for (size_t i = 0; i + 1 < data.blockSizes.size(); ++i)
                    EXPECT_EQ(data.blockSizes[i], 255u);
                EXPECT_EQ(data.blockSizes.back(), target - 255 * (data.blockSizes.size() - 1));
            }
        }
        EXPECT_TRUE(found);
    }
}

TEST(GifEncoderTest, ProgressAfterEveryTenthRowRoundedHalfToEven) {
    const std::pair<int32_t, std::vector<int16_t>> cases[] = {
        {9, {}}, {25, {40, 80}}, {80, {12, 25, 38, 50, 62, 75, 88, 100}}, {30, {33, 67, 100}}};
    for (const auto& [height, expected] : cases) {
        std::vector<int16_t> progress;
        EncodeOurs(RandomPicture(3, height, height), false, 0, &progress);
        EXPECT_EQ(progress, expected) << height;
    }
    EXPECT_EQ(GifProgressPercent(kGifMaxSide - 7, kGifMaxSide), 100);  // 99.98 rounds up
}

TEST(GifEncoderTest, RefusesBadPicturesBeforeWritingAnything) {
    std::vector<uint8_t> pixels(4, 0);
    struct Case {
        int32_t w, h;
        const uint8_t* px;
        size_t stride;
        GifEncodeStatus status;
    } cases[] = {
        {kGifMaxSide + 1, 1, pixels.data(), 40000, GifEncodeStatus::InvalidSize},
        {1, kGifMaxSide + 1, pixels.data(), 1, GifEncodeStatus::InvalidSize},
        {0, 1, pixels.data(), 1, GifEncodeStatus::InvalidSize},
        {1, -5, pixels.data(), 1, GifEncodeStatus::InvalidSize},
        {2, 2, nullptr, 2, GifEncodeStatus::InvalidPixels},
        {4, 1, pixels.data(), 3, GifEncodeStatus::InvalidPixels},
    };
    for (const auto& c : cases) {
        GifPicture view;
        view.width = c.w;
        view.height = c.h;
        view.pixels = c.px;
        view.stride = c.stride;
        VectorSink sink;
        int calls = 0;
        EXPECT_EQ(EncodeGif(view, sink, [&](int16_t) { ++calls; }), c.status);
        EXPECT_TRUE(sink.bytes.empty());
        EXPECT_EQ(calls, 0);
    }
}

TEST(GifEncoderTest, SinkFailureIsReportedAndStopsTheEncoding) {
    auto p = RandomPicture(1000, 400, 22);  // several buffers of output
    FailingSink sink(0);
    std::vector<int16_t> progress;
    EXPECT_EQ(EncodeGif(View(p, TestColours()), sink, [&](int16_t v) { progress.push_back(v); }),
              GifEncodeStatus::WriteFailed);
    EXPECT_EQ(sink.calls, 1);
    EXPECT_LT(progress.size(), 40u);

    FailingSink late(100000);  // fails on a later buffer
    EXPECT_EQ(EncodeGif(View(p, TestColours()), late), GifEncodeStatus::WriteFailed);
}

}  // namespace
}  // namespace korvimo
