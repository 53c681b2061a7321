#pragma once
// Durations on the update window: time left and time used, as HH:MM:SS.
#include <string>

namespace korvimo {

// Seconds -> "HH:MM:SS" (3725 -> "01:02:05", 59 -> "00:00:59"). The fractional
// part is dropped. Negative and not-a-number inputs give "00:00:00"; hours are
// at least two digits and grow as needed, and absurdly large inputs are capped
// at 99999:59:59 so that a wild estimate never overflows.
std::string ConvertTime(double seconds);

// The elapsed counters as "HH:MM:SS" (hours grow past two digits when needed;
// negative parts show as 00).
std::string FormatElapsed(int hours, int minutes, int seconds);

}  // namespace korvimo
