#pragma once
// The tip shown while the pointer rests on an entry of the tree. Labels are
// times of day and say little about the entry; the tip tells what it holds.
#include <cstdint>
#include <string>

namespace korvimo {

// Long enough to recognise a text, short enough for one or two tip lines.
inline constexpr size_t kTipTextLength = 80;

// The start of a text: its first line that is not blank, without the spaces
// around it, cut at kTipTextLength UTF-16 units (never inside a surrogate
// pair) with "…" after a cut. Control characters show as spaces. A blank
// text has no tip: empty.
std::u16string TextTip(const std::u16string& text);

// A picture's size in pixels: "1200 × 900 像素".
std::u16string PictureTip(int32_t width, int32_t height);

}  // namespace korvimo
