#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "update/size_format.h"
#include "update/time_format.h"

namespace korvimo {
namespace {

TEST(ConvertTime, CarriesSecondsIntoMinutesAndHours) {
    EXPECT_EQ(ConvertTime(3725), "01:02:05");
    EXPECT_EQ(ConvertTime(60), "00:01:00");
    EXPECT_EQ(ConvertTime(59), "00:00:59");
    EXPECT_EQ(ConvertTime(5), "00:00:05");
    EXPECT_EQ(ConvertTime(0), "00:00:00");
    EXPECT_EQ(ConvertTime(3599), "00:59:59");
    EXPECT_EQ(ConvertTime(3600), "01:00:00");
    EXPECT_EQ(ConvertTime(100 * 3600 + 1), "100:00:01");
}

TEST(ConvertTime, DropsTheFraction) {
    EXPECT_EQ(ConvertTime(59.99), "00:00:59");
    EXPECT_EQ(ConvertTime(0.4), "00:00:00");
}

TEST(ConvertTime, BadInputIsSafe) {
    EXPECT_EQ(ConvertTime(-1), "00:00:00");
    EXPECT_EQ(ConvertTime(-1e30), "00:00:00");
    EXPECT_EQ(ConvertTime(std::nan("")), "00:00:00");
    EXPECT_EQ(ConvertTime(std::numeric_limits<double>::infinity()), "99999:59:59");
    EXPECT_EQ(ConvertTime(1e300), "99999:59:59");
}

TEST(FormatElapsed, TwoDigitsEach) {
    EXPECT_EQ(FormatElapsed(0, 1, 5), "00:01:05");
    EXPECT_EQ(FormatElapsed(12, 34, 56), "12:34:56");
    EXPECT_EQ(FormatElapsed(-3, -1, -2), "00:00:00");  // a clock set back
}

TEST(FormatSize, Thresholds) {
    EXPECT_EQ(FormatSize(0), "0 Bytes");
    EXPECT_EQ(FormatSize(500), "500 Bytes");
    EXPECT_EQ(FormatSize(1023), "1023 Bytes");
    EXPECT_EQ(FormatSize(1024), "1.00 KB");
    EXPECT_EQ(FormatSize(1536), "1.50 KB");
    EXPECT_EQ(FormatSize(1048576), "1024.00 KB");
    EXPECT_EQ(FormatSize(1048577), "1.00 MB");
    EXPECT_EQ(FormatSize(3145728), "3.00 MB");
}

TEST(FormatSize, ThousandsSeparatorsInMegabytes) {
    EXPECT_EQ(FormatSize(1234.0 * 1048576), "1,234.00 MB");
    EXPECT_EQ(FormatSize(1234567.0 * 1048576), "1,234,567.00 MB");
    EXPECT_EQ(FormatSize(999.0 * 1048576), "999.00 MB");
}

TEST(FormatSize, HalvesRoundToEven) {
    // 1029 / 1024 = 1.0048828125 -> 1.00; 1034 / 1024 = 1.009765625 -> 1.01
    EXPECT_EQ(FormatSize(1029), "1.00 KB");
    EXPECT_EQ(FormatSize(1034), "1.01 KB");
    // Exact halves of a hundredth: 1.125 and 1.375
    EXPECT_EQ(FormatSize(1152), "1.12 KB");
    EXPECT_EQ(FormatSize(1408), "1.38 KB");
    EXPECT_EQ(FormatSize(1179648), "1.12 MB");
    EXPECT_EQ(FormatSize(1441792), "1.38 MB");
}

TEST(FormatSize, BadInputIsSafe) {
    EXPECT_EQ(FormatSize(-5), "0 Bytes");
    EXPECT_EQ(FormatSize(std::nan("")), "0 Bytes");
    EXPECT_FALSE(FormatSize(std::numeric_limits<double>::infinity()).empty());
}

TEST(FormatHundredths, DropsTrailingZeros) {
    EXPECT_EQ(FormatHundredths(0), "0");
    EXPECT_EQ(FormatHundredths(150), "1.5");
    EXPECT_EQ(FormatHundredths(200), "2");
    EXPECT_EQ(FormatHundredths(25), "0.25");
    EXPECT_EQ(FormatHundredths(1205), "12.05");
    EXPECT_EQ(FormatHundredths(-150), "-1.5");
}

}  // namespace
}  // namespace korvimo
