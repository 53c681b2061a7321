// Clipboard pictures as any program may lay them out: what we accept, down to each
// field of the layout and the header GDI is given, and what we refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "store/dib.h"

namespace korvimo {
namespace {

struct Header {
    uint32_t headerBytes;
    int32_t width, height;
    uint32_t bits, compression = 0, coloursUsed = 0, planes = 1;
};

// The header's fields, then patterned bytes (masks, colours, rows) to `bytes`.
std::vector<uint8_t> Bytes(const Header& h, size_t bytes) {
    std::vector<uint8_t> b(std::max<size_t>(bytes, 40));
    for (size_t i = 40; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 37 + i / 251 + 1);
    const uint32_t fields[][2] = {{0, h.headerBytes}, {4, static_cast<uint32_t>(h.width)},
                                  {8, static_cast<uint32_t>(h.height)}, {12, h.planes | h.bits << 16},
                                  {16, h.compression}, {32, h.coloursUsed}};
    for (const auto& [at, value] : fields)
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    b.resize(bytes);
    return b;
}

TEST(DibLayoutTest, EachLayoutIsReadExactlyOrRefused) {
    struct Expected {
        size_t maskBytes, colourCount, rowBytes, pixelOffset, totalBytes;
    };
    const size_t kBig = size_t{1} << 30;  // only the header is read, so a size may claim more
    const struct {
        const char* what;
        Header header;
        size_t bytes, claimed;  // claimed 0: the size is the bytes'
        std::optional<Expected> layout;
    } cases[] = {
        {"24-bit, rows padded, slack dropped", {40, 3, 2, 24}, 71, 0, {{0, 0, 12, 40, 64}}},
        {"1-bit one pixel with its full palette", {40, 1, 1, 1}, 52, 0, {{0, 2, 4, 48, 52}}},
        {"4-bit with its full palette", {40, 9, 3, 4}, 128, 0, {{0, 16, 8, 104, 128}}},
        {"8-bit top-down with its full palette", {40, 5, -1, 8}, 1072, 0, {{0, 256, 8, 1064, 1072}}},
        {"16-bit masks after a 40-byte header, 256 colours", {40, 3, 1, 16, 3, 256}, 1084, 0,
         {{12, 256, 8, 1076, 1084}}},
        {"32-bit top-down V5 with masks inside", {124, 3, -2, 32, 3}, 164, 0, {{0, 0, 12, 124, 148}}},
        {"V2 24-bit, not a byte to spare", {52, 1, 1, 24}, 56, 0, {{0, 0, 4, 52, 56}}},
        {"V3 16-bit, two colours", {56, 2, 1, 16, 0, 2}, 68, 0, {{0, 2, 4, 64, 68}}},
        {"V4 32-bit with masks inside", {108, 1, 1, 32, 3}, 112, 0, {{0, 0, 4, 108, 112}}},
        {"1-bit of a width in four bytes", {40, 0x01020304, 1, 1}, 64, 2113684,
         {{0, 2, 2113636, 48, 2113684}}},
        {"as large as we take", {40, 134217718, -1, 32}, 40, kBig, {{0, 0, 536870872, 40, 536870912}}},
        {"a row beyond that", {40, 134217719, -1, 32}, 40, kBig, {}},
        {"the lowest height", {40, 1, INT32_MIN, 1}, 64, kBig, {}},
        {"one byte short", {40, 3, 2, 24}, 63, 0, {}},
        {"a V5 header cut short", {124, 1, 1, 24}, 100, 0, {}},
        {"too few bytes for a header", {40, 1, 1, 1}, 39, 0, {}},
        {"unknown header", {64, 1, 1, 24}, 80, 0, {}},
        {"two planes", {40, 1, 1, 24, 0, 0, 2}, 44, 0, {}},
        {"no columns", {40, 0, 1, 24}, 44, 0, {}},
        {"no rows", {40, 1, 0, 24}, 44, 0, {}},
        {"2-bit", {40, 1, 1, 2}, 60, 0, {}},
        {"run-length 8-bit", {40, 1, 1, 8, 1}, 1068, 0, {}},
        {"run-length 4-bit where masks would be", {40, 1, 1, 16, 2}, 56, 0, {}},
        {"24-bit with masks", {40, 1, 1, 24, 3}, 56, 0, {}},
        {"1-bit with three colours", {40, 1, 1, 1, 0, 3}, 56, 0, {}},
        {"16-bit with 257 colours", {40, 1, 1, 16, 0, 257}, 1072, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> dib = Bytes(c.header, c.bytes);
        std::optional<DibLayout> got = ReadDibLayout(dib.data(), c.claimed ? c.claimed : dib.size());
        ASSERT_EQ(got.has_value(), c.layout.has_value());
        if (!got) continue;
        const Header& h = c.header;
        const Expected& e = *c.layout;
        const int32_t rows = std::abs(h.height);
        EXPECT_EQ(std::make_tuple(got->width, got->height, got->topDown, got->bitCount, got->compression),
                  std::make_tuple(h.width, rows, h.height < 0, h.bits, h.compression));
        EXPECT_EQ(std::make_tuple(got->headerBytes, got->maskBytes, got->colourCount, got->rowBytes,
                                  got->pixelOffset, got->totalBytes),
                  std::make_tuple(h.headerBytes, e.maskBytes, e.colourCount, e.rowBytes, e.pixelOffset,
                                  e.totalBytes));

        // GDI gets a plain bottom-up header, the masks, wherever they were, and the colours.
        std::vector<uint8_t> info = Bytes({40, h.width, rows, h.bits, h.compression,
                                           static_cast<uint32_t>(e.colourCount)}, 40);
        const uint8_t* at = dib.data();
        info.insert(info.end(), at + 40, at + (h.compression == 3 ? 52 : 40));
        info.insert(info.end(), at + e.pixelOffset - 4 * e.colourCount, at + e.pixelOffset);
        EXPECT_EQ(BitmapInfoForGdi(dib.data(), *got), info);
        const size_t last = (rows - 1) * e.rowBytes;
        EXPECT_EQ(DibRow(at, *got, 0), at + e.pixelOffset + (h.height < 0 ? last : 0));
        EXPECT_EQ(DibRow(at, *got, rows - 1), at + e.pixelOffset + (h.height < 0 ? 0 : last));
    }
    EXPECT_FALSE(ReadDibLayout(nullptr, 100));
}

}  // namespace
}  // namespace korvimo
