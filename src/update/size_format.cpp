#include "update/size_format.h"

#include <cmath>

#include "common/rounding.h"

namespace korvimo {

namespace {

constexpr double kKilo = 1024.0;
constexpr double kMega = 1048576.0;
// Far above any real file; keeps the hundredths inside 64 bits.
constexpr double kMaxBytes = 1e18;

std::string GroupThousands(const std::string& digits) {
    std::string grouped;
    size_t lead = digits.size() % 3;
    if (lead == 0) lead = 3;
    grouped.append(digits, 0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) {
        grouped.push_back(',');
        grouped.append(digits, i, 3);
    }
    return grouped;
}

// hundredths -> "I.FF", the whole part optionally grouped.
std::string TwoDecimals(int64_t hundredths, bool group) {
    std::string whole = std::to_string(hundredths / 100);
    int64_t frac = hundredths % 100;
    std::string text = group ? GroupThousands(whole) : whole;
    text.push_back('.');
    text.push_back(static_cast<char>('0' + frac / 10));
    text.push_back(static_cast<char>('0' + frac % 10));
    return text;
}

}  // namespace

std::string FormatSize(double bytes) {
    if (!(bytes > 0.0)) bytes = 0.0;  // also catches NaN
    if (bytes > kMaxBytes) bytes = kMaxBytes;

    if (bytes < kKilo) {
        // Counts are whole in practice; a fraction would show with two decimals.
        return FormatHundredths(static_cast<int64_t>(RoundHalfEvenD(bytes * 100.0))) + " Bytes";
    }
    // Multiplying a whole count by 100 and dividing by a power of two is exact
    // in a double, so the halves really are halves.
    if (bytes <= kMega) {
        return TwoDecimals(static_cast<int64_t>(RoundHalfEvenD(bytes * 100.0 / kKilo)), false) + " KB";
    }
    return TwoDecimals(static_cast<int64_t>(RoundHalfEvenD(bytes * 100.0 / kMega)), true) + " MB";
}

std::string FormatHundredths(int64_t hundredths) {
    bool negative = hundredths < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(hundredths) : static_cast<uint64_t>(hundredths);
    std::string text = std::to_string(magnitude / 100);
    uint64_t frac = magnitude % 100;
    if (frac != 0) {
        text.push_back('.');
        text.push_back(static_cast<char>('0' + frac / 10));
        if (frac % 10 != 0) text.push_back(static_cast<char>('0' + frac % 10));
    }
    return negative ? "-" + text : text;
}

}  // namespace korvimo
