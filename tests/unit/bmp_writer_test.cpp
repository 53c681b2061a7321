#include "gif/bmp_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "gif_test_support.h"

namespace korvimo {
namespace {

TEST(BmpWriterTest, HeadersThenRowsPaddedWithZerosNotCallerBytes) {
    for (int32_t w : {1, 2, 3, 4, 5, 7}) {
        SCOPED_TRACE(w);
        const int32_t h = 3;
        const size_t stride = w * 3 + 5;  // caller rows with junk after the pixels
        std::vector<uint8_t> rows(stride * h, 0xEE);
        for (size_t i = 0; i < rows.size(); ++i)
            if (i % stride < size_t(w * 3)) rows[i] = uint8_t(i);
        VectorSink sink;
        ASSERT_EQ(WriteBmp24({w, h, rows.data(), stride}, sink), BmpWriteStatus::Ok);
        const uint32_t rowBytes = (w * 3 + 3) / 4 * 4, size = 54 + rowBytes * h;
        EXPECT_EQ(BmpFileBytes(w, h), size);
        // A positive height: bottom-up rows. BI_RGB, no colour table.
        std::vector<uint8_t> expected = {
            'B', 'M', uint8_t(size), 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, uint8_t(w), 0, 0, 0,
            uint8_t(h), 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, uint8_t(size - 54), 0, 0, 0};
        expected.resize(54);
        for (size_t i = 0; i < rowBytes * h; ++i)
            expected.push_back(i % rowBytes < size_t(w * 3) ? rows[i / rowBytes * stride + i % rowBytes] : 0);
        EXPECT_EQ(sink.bytes, expected);
    }
}

TEST(BmpWriterTest, RefusesSizesThatDoNotFitAndReportsAFailingSink) {
    std::vector<uint8_t> px(12 * 3, 0);
    VectorSink sink;
    EXPECT_EQ(WriteBmp24({0, 1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    EXPECT_EQ(WriteBmp24({1, -1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    // 60000 x 30000 x 3 bytes passes the 32-bit size fields.
    EXPECT_EQ(WriteBmp24({60000, 30000, px.data(), 180000}, sink), BmpWriteStatus::InvalidSize);
    EXPECT_EQ(BmpFileBytes(0x7FFFFFFF, 1), 0u);
    EXPECT_EQ(WriteBmp24({4, 1, nullptr, 12}, sink), BmpWriteStatus::InvalidPixels);
    EXPECT_EQ(WriteBmp24({4, 1, px.data(), 11}, sink), BmpWriteStatus::InvalidPixels);
    EXPECT_TRUE(sink.bytes.empty());
    EXPECT_EQ(BmpFileBytes(20000, 20000), 54u + 60000ull * 20000);  // still fits
    // Writing stops at the first refused row.
    korvimo_test::FailingSink refusing(54 + 12);
    EXPECT_EQ(WriteBmp24({4, 3, px.data(), 12}, refusing), BmpWriteStatus::WriteFailed);
    EXPECT_EQ(refusing.calls, 3);
}

}  // namespace
}  // namespace korvimo
