#pragma once
// The program's version, as the about box shows it and as the update check
// compares it with the first line of the update file.

namespace korvimo {

inline constexpr const char16_t* kProgramVersion = u"2.20";

}  // namespace korvimo
