// Bitmap files: header fields, bottom-up rows and the 4-byte row padding.
#include "gif/bmp_writer.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvimo {
namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + i];
    return v;
}

std::vector<uint8_t> Write(int32_t w, int32_t h, const std::vector<uint8_t>& rows, size_t stride) {
    Bmp24Picture p{w, h, rows.data(), stride};
    VectorSink sink;
    EXPECT_EQ(WriteBmp24(p, sink), BmpWriteStatus::Ok);
    return sink.bytes;
}

TEST(BmpWriterTest, HeadersDescribeA24BitBottomUpBitmap) {
    std::vector<uint8_t> rows(8 * 2, 0);
    auto file = Write(2, 2, rows, 8);  // 6 pixel bytes + 2 padding per row
    ASSERT_EQ(file.size(), 54u + 16u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le(file, 2, 4), 70u);   // bfSize
    EXPECT_EQ(Le(file, 6, 4), 0u);    // reserved
    EXPECT_EQ(Le(file, 10, 4), 54u);  // bfOffBits
    EXPECT_EQ(Le(file, 14, 4), 40u);  // biSize
    EXPECT_EQ(Le(file, 18, 4), 2u);
    EXPECT_EQ(Le(file, 22, 4), 2u);  // positive height: bottom-up
    EXPECT_EQ(Le(file, 26, 2), 1u);
    EXPECT_EQ(Le(file, 28, 2), 24u);
    EXPECT_EQ(Le(file, 30, 4), 0u);   // BI_RGB
    EXPECT_EQ(Le(file, 34, 4), 16u);  // biSizeImage
    EXPECT_EQ(Le(file, 46, 4), 0u);   // no colour table
}

TEST(BmpWriterTest, OddWidthsArePaddedWithZerosNotCallerBytes) {
    for (int32_t w : {1, 2, 3, 4, 5, 7}) {
        SCOPED_TRACE(w);
        const int32_t h = 3;
        const size_t stride = w * 3 + 5;  // caller rows with junk after the pixels
        std::vector<uint8_t> rows(stride * h, 0xEE);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t i = 0; i < w * 3; ++i) rows[y * stride + i] = uint8_t(y * 50 + i);
        auto file = Write(w, h, rows, stride);
        const size_t rowBytes = (w * 3 + 3) / 4 * 4;
        EXPECT_EQ(rowBytes, BmpRowBytes(w));
        ASSERT_EQ(file.size(), 54 + rowBytes * h);
        for (int32_t y = 0; y < h; ++y) {
            for (size_t i = 0; i < rowBytes; ++i) {
                uint8_t expected = i < size_t(w * 3) ? uint8_t(y * 50 + i) : 0;
                EXPECT_EQ(file[54 + y * rowBytes + i], expected) << "row " << y << " byte " << i;
            }
        }
    }
}

TEST(BmpWriterTest, RefusesSizesThatDoNotFitTheFormat) {
    std::vector<uint8_t> px(12, 0);
    VectorSink sink;
    EXPECT_EQ(WriteBmp24({0, 1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    EXPECT_EQ(WriteBmp24({1, -1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    // 60000 x 30000 x 3 bytes passes the 32-bit size fields.
    EXPECT_EQ(WriteBmp24({60000, 30000, px.data(), 180000}, sink), BmpWriteStatus::InvalidSize);
    EXPECT_EQ(BmpFileBytes(60000, 30000), 0u);
    EXPECT_EQ(BmpFileBytes(0x7FFFFFFF, 1), 0u);
    EXPECT_EQ(WriteBmp24({4, 1, nullptr, 12}, sink), BmpWriteStatus::InvalidPixels);
    EXPECT_EQ(WriteBmp24({4, 1, px.data(), 11}, sink), BmpWriteStatus::InvalidPixels);
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_EQ(BmpFileBytes(20000, 20000), 54u + 60000ull * 20000);  // still fits
}

class RefusingSink : public ByteSink {
public:
    bool Write(const uint8_t*, size_t) override { return ++calls < 2; }
    int calls = 0;
};

TEST(BmpWriterTest, ReportsAFailingSink) {
    std::vector<uint8_t> px(12 * 3, 0);
    RefusingSink sink;
    EXPECT_EQ(WriteBmp24({4, 3, px.data(), 12}, sink), BmpWriteStatus::WriteFailed);
    EXPECT_EQ(sink.calls, 2);  // stops at the first refused row
}

}  // namespace
}  // namespace korvimo
