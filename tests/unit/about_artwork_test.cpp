// Checks the committed artwork that the resource script embeds: sizes and
// formats that Windows and the image list expect, and that the pictures
// still say what they must (tray icons told apart, arrows pointing their
// way, a plain spot under the about box's version text).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <gif_lib.h>

namespace {

using Bytes = std::vector<uint8_t>;

std::string ResourcePath(const char* name) {
    return std::string(KORVIMO_SOURCE_DIR) + "/resources/" + name;
}

Bytes ReadFile(const char* name) {
    std::ifstream in(ResourcePath(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const Bytes& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
int32_t S32(const Bytes& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

struct Rgb {
    int r, g, b;
};

// A 24-bit, uncompressed, bottom-up BMP, read into top-down rows.
struct Bmp {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    Rgb at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

::testing::AssertionResult ReadBmp24(const char* name, Bmp* out) {
    Bytes b = ReadFile(name);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return ::testing::AssertionFailure() << name << ": not a BMP";
    if (U32(b, 2) != b.size()) return ::testing::AssertionFailure() << name << ": size field";
    if (U32(b, 14) != 40) return ::testing::AssertionFailure() << name << ": header kind";
    int w = S32(b, 18), h = S32(b, 22);
    if (w <= 0 || h <= 0) return ::testing::AssertionFailure() << name << ": not bottom-up";
    if (U16(b, 26) != 1 || U16(b, 28) != 24 || U32(b, 30) != 0)
        return ::testing::AssertionFailure() << name << ": not plain 24-bit";
    size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    size_t offset = U32(b, 10);
    if (offset + stride * h > b.size())
        return ::testing::AssertionFailure() << name << ": pixels cut short";
    out->width = w;
    out->height = h;
    out->px.clear();
    for (int y = 0; y < h; ++y) {
        size_t row = offset + stride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &b[row + 3 * x];
            out->px.push_back(Rgb{p[2], p[1], p[0]});
        }
    }
    return ::testing::AssertionSuccess();
}

bool IsMagenta(Rgb c) { return c.r == 255 && c.g == 0 && c.b == 255; }

struct IconImage {
    int size = 0;
    std::vector<uint32_t> argb;     // top-down
    std::vector<bool> transparent;  // from the AND mask, top-down
};

::testing::AssertionResult ReadIcon(const char* name, std::vector<IconImage>* out) {
    Bytes b = ReadFile(name);
    if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1)
        return ::testing::AssertionFailure() << name << ": not an icon file";
    size_t count = U16(b, 4);
    if (b.size() < 6 + 16 * count) return ::testing::AssertionFailure() << name << ": directory";
    out->clear();
    for (size_t i = 0; i < count; ++i) {
        size_t e = 6 + 16 * i;
        int size = b[e] == 0 ? 256 : b[e];
        if (b[e + 1] != b[e]) return ::testing::AssertionFailure() << name << ": not square";
        if (U16(b, e + 6) != 32) return ::testing::AssertionFailure() << name << ": not 32-bit";
        size_t bytes = U32(b, e + 8), at = U32(b, e + 12);
        size_t mask_stride = ((size + 31) / 32) * 4;
        size_t need = 40 + static_cast<size_t>(size) * size * 4 + mask_stride * size;
        if (bytes != need || at + bytes > b.size())
            return ::testing::AssertionFailure() << name << ": image " << i << " size";
        if (U32(b, at) != 40 || S32(b, at + 4) != size || S32(b, at + 8) != 2 * size ||
            U16(b, at + 14) != 32 || U32(b, at + 16) != 0)
            return ::testing::AssertionFailure() << name << ": image " << i << " header";
        IconImage img;
        img.size = size;
        size_t xor_at = at + 40, and_at = xor_at + static_cast<size_t>(size) * size * 4;
        for (int y = 0; y < size; ++y) {
            int row = size - 1 - y;
            for (int x = 0; x < size; ++x) {
                img.argb.push_back(U32(b, xor_at + (static_cast<size_t>(row) * size + x) * 4));
                uint8_t bits = b[and_at + row * mask_stride + x / 8];
                img.transparent.push_back((bits & (0x80 >> (x % 8))) != 0);
            }
        }
        out->push_back(img);
    }
    return ::testing::AssertionSuccess();
}

class TrayAndWindowIcons : public ::testing::TestWithParam<const char*> {};

TEST_P(TrayAndWindowIcons, HoldSmallAndLargeImagesWithAgreeingMasks) {
    std::vector<IconImage> images;
    ASSERT_TRUE(ReadIcon(GetParam(), &images));
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].size, 16);
    EXPECT_EQ(images[1].size, 32);
    for (const IconImage& img : images) {
        size_t opaque = 0;
        for (size_t i = 0; i < img.argb.size(); ++i) {
            uint32_t alpha = img.argb[i] >> 24;
            // Systems without alpha blending draw from the mask alone.
            EXPECT_EQ(img.transparent[i], alpha < 128) << "pixel " << i;
            if (alpha >= 128) ++opaque;
        }
        EXPECT_GT(opaque, img.argb.size() / 3) << "icon " << img.size << " nearly empty";
        EXPECT_LT(opaque, img.argb.size()) << "icon " << img.size << " has no transparent edge";
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, TrayAndWindowIcons,
                         ::testing::Values("korvimo.ico", "clip_full.ico", "clip_empty.ico"));

TEST(TrayIcons, FullAndEmptyDifferClearlyAtSixteenPixels) {
    std::vector<IconImage> full, empty;
    ASSERT_TRUE(ReadIcon("clip_full.ico", &full));
    ASSERT_TRUE(ReadIcon("clip_empty.ico", &empty));
    ASSERT_FALSE(full.empty());
    ASSERT_FALSE(empty.empty());
    int differing = 0;
    for (size_t i = 0; i < full[0].argb.size(); ++i) {
        uint32_t a = full[0].argb[i], b = empty[0].argb[i];
        int d = 0;
        for (int shift = 0; shift < 24; shift += 8)
            d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        if (d > 120) ++differing;
    }
    EXPECT_GE(differing, 40);
}

TEST(ImageListStrip, TenMaskedSixteenPixelCells) {
    Bmp strip;
    ASSERT_TRUE(ReadBmp24("imagelist.bmp", &strip));
    ASSERT_EQ(strip.width, 160);
    ASSERT_EQ(strip.height, 16);
    for (int cell = 0; cell < 10; ++cell) {
        int masked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (IsMagenta(strip.at(16 * cell + x, y))) ++masked;
        EXPECT_GT(masked, 0) << "cell " << cell + 1 << " has no transparent ground";
        EXPECT_GT(256 - masked, 30) << "cell " << cell + 1 << " is nearly empty";
    }
}

TEST(ImageListStrip, CodeCharacterIsBlackOnTransparent) {
    Bmp strip;
    ASSERT_TRUE(ReadBmp24("imagelist.bmp", &strip));
    ASSERT_EQ(strip.width, 160);
    int x0 = 16 * 7;  // image 8
    for (int y = 0; y < 16; ++y) {
        for (int x = x0; x < x0 + 16; ++x) {
            Rgb c = strip.at(x, y);
            if (!IsMagenta(c)) {
                EXPECT_LT(c.r + c.g + c.b, 3 * 64) << x << "," << y;
            }
        }
    }
}

TEST(AboutPicture, SizeAndPlainGroundUnderTheVersionText) {
    Bmp about;
    ASSERT_TRUE(ReadBmp24("about.bmp", &about));
    ASSERT_EQ(about.width, 397);
    ASSERT_EQ(about.height, 204);
    // Blue text at (256, 8) needs a light, even ground to its right.
    int lo = 255 * 3, hi = 0;
    for (int y = 8; y <= 20; ++y) {
        for (int x = 256; x < 397; ++x) {
            Rgb c = about.at(x, y);
            int sum = c.r + c.g + c.b;
            lo = std::min(lo, sum);
            hi = std::max(hi, sum);
        }
    }
    EXPECT_GT(lo, 3 * 200);
    EXPECT_LT(hi - lo, 30);
}

struct ArrowCase {
    const char* file;
    int dx, dy;  // where the tip points
};

class ArrowPictures : public ::testing::TestWithParam<ArrowCase> {};

TEST_P(ArrowPictures, PointTheirWayOnAClearGround) {
    // Transparency needs the graphic control extension, which GIF87a lacks.
    Bytes b = ReadFile(GetParam().file);
    EXPECT_EQ(std::string(b.begin(), b.begin() + std::min<size_t>(6, b.size())), "GIF89a");
    int error = 0;
    GifFileType* gif = DGifOpenFileName(ResourcePath(GetParam().file).c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_GE(gif->ImageCount, 1);
    GraphicsControlBlock gcb;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, 0, &gcb), GIF_OK);
    const SavedImage& img = gif->SavedImages[0];
    ASSERT_EQ(img.ImageDesc.Width, 21);
    ASSERT_EQ(img.ImageDesc.Height, 21);
    auto opaque = [&](int x, int y) {
        return img.RasterBits[y * 21 + x] != gcb.TransparentColor;
    };
    // Corners are clear; the tip end of the arrow is narrower than its tail.
    EXPECT_FALSE(opaque(0, 0));
    EXPECT_FALSE(opaque(20, 20));
    auto span = [&](int line, bool row) {
        int n = 0;
        for (int i = 0; i < 21; ++i) n += row ? opaque(i, line) : opaque(line, i);
        return n;
    };
    bool vertical = GetParam().dy != 0;
    int first = -1, last = -1;
    for (int line = 0; line < 21; ++line) {
        if (span(line, vertical) == 0) continue;
        if (first < 0) first = line;
        last = line;
    }
    ASSERT_GE(first, 0);
    int tip = (GetParam().dx + GetParam().dy) < 0 ? first : last;
    int tail = tip == first ? last : first;
    EXPECT_LT(span(tip, vertical), span(tail, vertical));
    DGifCloseFile(gif, &error);
}

INSTANTIATE_TEST_SUITE_P(Resources, ArrowPictures,
                         ::testing::Values(ArrowCase{"arrow_up.gif", 0, -1},
                                           ArrowCase{"arrow_down.gif", 0, 1},
                                           ArrowCase{"arrow_left.gif", -1, 0},
                                           ArrowCase{"arrow_right.gif", 1, 0}));

}  // namespace
