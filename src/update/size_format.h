#pragma once
// Short size and rate texts for the update window's labels.
#include <cstdint>
#include <string>

namespace korvimo {

// Byte count -> "1023 Bytes", "1.50 KB" (1024 up to and including 1048576,
// two decimals), "1,234.00 MB" (above 1048576, thousands separated by commas).
// Fractions are rounded halves to even. Negative or not-a-number counts give
// "0 Bytes".
std::string FormatSize(double bytes);

// A number with up to two decimals, trailing zeros and a bare point dropped:
// 1.5 -> "1.5", 2.00 -> "2", 0.25 -> "0.25". Given as hundredths so that the
// caller's rounding is what is shown.
std::string FormatHundredths(int64_t hundredths);

}  // namespace korvimo
