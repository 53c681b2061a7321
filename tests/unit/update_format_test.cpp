#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "update/size_format.h"
#include "update/time_format.h"

namespace korvimo {
namespace {

TEST(UpdateFormat, TimesSizesAndRates) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::pair<std::string, std::string> cases[] = {
        {ConvertTime(3725), "01:02:05"},
        {ConvertTime(std::nan("")), "00:00:00"},
        {ConvertTime(infinity), "99999:59:59"},
        {FormatElapsed(-3, -1, -2), "00:00:00"},  // a clock set back
        {FormatSize(1023), "1023 Bytes"},
        {FormatSize(1024), "1.00 KB"},
        {FormatSize(1152), "1.12 KB"},  // 1.125: halves round to even
        {FormatSize(1048576), "1024.00 KB"},
        {FormatSize(999.0 * 1048576), "999.00 MB"},
        {FormatSize(1234567.0 * 1048576), "1,234,567.00 MB"},
        {FormatSize(-5), "0 Bytes"},
        {FormatSize(infinity), "953,674,316,406.25 MB"},
        {FormatHundredths(1205), "12.05"},
        {FormatHundredths(-150), "-1.5"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace korvimo
