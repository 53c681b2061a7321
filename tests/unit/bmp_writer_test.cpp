#include "gif/bmp_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "gif_test_support.h"

namespace korvimo {
namespace {

// Three pixels a row: the file's rows are padded to 12 bytes with zeros, not with what follows
// each row in the caller's memory. A positive height (bottom-up), one plane, BI_RGB, no colour table.
TEST(BmpWriterTest, HeaderThenRowsPaddedWithZeros) {
    std::vector<uint8_t> rows(2 * 11, 0xEE);
    for (size_t i = 0; i < rows.size(); ++i)
        if (i % 11 < 9) rows[i] = uint8_t(i);
    VectorSink sink;
    ASSERT_EQ(WriteBmp24({3, 2, rows.data(), 11}, sink), BmpWriteStatus::Ok);
    std::vector<uint8_t> expected = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 3, 0, 0, 0,
                                     2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0};
    expected.resize(54);
    for (size_t row : {0, 11}) {
        expected.insert(expected.end(), rows.begin() + row, rows.begin() + row + 9);
        expected.insert(expected.end(), 3, 0);
    }
    EXPECT_EQ(sink.bytes, expected);
}

TEST(BmpWriterTest, RefusesSizesThatDoNotFitAndReportsAFailingSink) {
    std::vector<uint8_t> px(12 * 3, 0);
    VectorSink sink;
    EXPECT_EQ(WriteBmp24({0, 1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    EXPECT_EQ(WriteBmp24({1, -1, px.data(), 12}, sink), BmpWriteStatus::InvalidSize);
    // 60000 x 30000 x 3 bytes passes the 32-bit size fields.
    EXPECT_EQ(WriteBmp24({60000, 30000, px.data(), 180000}, sink), BmpWriteStatus::InvalidSize);
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
