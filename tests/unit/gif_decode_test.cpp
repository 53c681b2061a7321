// Every file our encoder writes must read back through an independent
// decoder (giflib) with the same pixels, palette and transparency.
#include <gtest/gtest.h>

#include "gif/gif_encoder.h"
#include "gif_giflib_decode.h"
#include "gif_test_support.h"

namespace korvimo {
namespace {

using korvimo_test::IndexedPicture;
using korvimo_test::RandomPicture;
using korvimo_test::TestColours;
using korvimo_test::View;

void ExpectRoundTrip(const IndexedPicture& p, bool transparency = false, uint8_t index = 0) {
    VectorSink sink;
    ASSERT_EQ(EncodeGif(View(p, TestColours(), transparency, index), sink), GifEncodeStatus::Ok);
    korvimo_test::GiflibDecoded d = korvimo_test::DecodeWithGiflib(sink.bytes);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.screenWidth, p.width);
    EXPECT_EQ(d.screenHeight, p.height);
    EXPECT_EQ(d.picture.width, p.width);
    EXPECT_EQ(d.picture.height, p.height);
    EXPECT_TRUE(d.picture.pixels == p.pixels);
    EXPECT_TRUE(d.colours == TestColours());
    EXPECT_EQ(d.transparentIndex, transparency ? index : NO_TRANSPARENT_COLOR);
}

TEST(GifDecodeTest, SmallAndDegeneratePicturesReadBack) {
    ExpectRoundTrip(RandomPicture(1, 1, 30));
    ExpectRoundTrip(RandomPicture(1, 40, 31));
    ExpectRoundTrip(RandomPicture(700, 1, 32));
    ExpectRoundTrip(RandomPicture(2, 25, 33, 2));
}

TEST(GifDecodeTest, ManyRunsPerRowReadBack) {
    ExpectRoundTrip(RandomPicture(2500, 6, 34));      // several mid-row resets
    ExpectRoundTrip(RandomPicture(1201, 37, 35, 3));  // long matches
    IndexedPicture flat{kGifMaxSide, 1, std::vector<uint8_t>(kGifMaxSide, 9)};
    ExpectRoundTrip(flat);  // one long chain that fills the dictionary
}

TEST(GifDecodeTest, GradientsAndTransparencyReadBack) {
    IndexedPicture gradient{256, 64, {}};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) gradient.pixels.push_back(uint8_t((x + y * 3) & 0xFF));
    ExpectRoundTrip(gradient);
    ExpectRoundTrip(gradient, true, 0);
    ExpectRoundTrip(RandomPicture(33, 17, 36), true, 254);
}

}  // namespace
}  // namespace korvimo
