#pragma once
// The update window's progress bar and its topmost switch.
#include <windows.h>

namespace korvimo {

// Window class of the progress bar control; it keeps an off-screen image of
// what DrawProgress drew and paints from it, so the drawing survives
// repaints. White background, drawing colour RGB(0, 0, 0xC0).
inline constexpr const wchar_t* kProgressBarClass = L"KorvimoProgressBar";
void RegisterProgressBarClass(HINSTANCE instance);

// Repaints the bar at percent (clamped to 0..100): clears it, prints
// "NN%" ("%" alone at 0) centred, then covers 0..percent of the width with a
// filled box drawn with the not-xor pen, so the covered part of the text
// shows inverted; the result is on screen at once.
void DrawProgress(HWND progress_bar, int percent);

// Puts a top-level window into (true) or out of (false) the topmost band at
// its present position and size.
void SetTopmost(HWND window, bool topmost);

}  // namespace korvimo
