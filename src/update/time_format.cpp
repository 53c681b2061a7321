#include "update/time_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace korvimo {

namespace {

constexpr double kMaxSeconds = 99999.0 * 3600.0 + 59.0 * 60.0 + 59.0;

}  // namespace

std::string ConvertTime(double seconds) {
    if (!(seconds > 0.0)) seconds = 0.0;  // also catches NaN
    if (seconds > kMaxSeconds) seconds = kMaxSeconds;
    int64_t whole = static_cast<int64_t>(std::floor(seconds));
    int64_t minutes = whole / 60;
    int64_t secs = whole - minutes * 60;
    int64_t hours = minutes / 60;
    minutes -= hours * 60;
    return FormatElapsed(static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(secs));
}

std::string FormatElapsed(int hours, int minutes, int seconds) {
    if (hours < 0) hours = 0;
    if (minutes < 0) minutes = 0;
    if (seconds < 0) seconds = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds);
    return text;
}

}  // namespace korvimo
