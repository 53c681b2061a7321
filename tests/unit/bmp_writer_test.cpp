#include "gif/bmp_writer.h"

#include <gtest/gtest.h>

#include <vector>

#include "gif_test_support.h"

namespace korvimo {
namespace {

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
