#pragma once
// What changes with the DPI besides the twips: the pictures of our own
// resources, the message font, and the controls of a window moved to a
// monitor of another DPI.
#include <windows.h>
#include <commctrl.h>

namespace korvimo {

// The resource drawn for the scale nearest the DPI: the pictures at 150 % and
// 200 % are numbered IDR_ART_SCALE_STEP and twice that above the first.
int ArtResource(int resource, int dpi);

// An image list of the strip of square pictures side by side, whose magenta
// is the ground, at the scale nearest the DPI.
HIMAGELIST LoadImageStrip(HINSTANCE instance, int resource, int dpi);

// The system's message font, at a DPI: the system gives it at its own.
HFONT CreateMessageFont(int dpi);

// From now on, when the window is moved to a monitor of another DPI, its
// controls and their fonts are scaled with it and it takes the place the
// system proposes; its own window procedure sees WM_DPICHANGED after that.
void FollowDpiChanges(HWND window);

}  // namespace korvimo
