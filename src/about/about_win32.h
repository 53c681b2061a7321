#pragma once
// The help menu's four commands and the about box behind one of them.
//
// The about box is a borderless, always-on-top popup of class
// "KorvimoAbout" showing the about picture, with the version text
// ("版本 2.20") in a STATIC child whose control id is kAboutLabelId: another
// process can read it with WM_GETTEXT on GetDlgItem(about, kAboutLabelId).
// Any mouse click on it closes (hides) it; it is created on first use and
// the same window is shown again afterwards.
#include <windows.h>

namespace korvimo {

constexpr int kAboutLabelId = 1;
extern const wchar_t kAboutClassName[];  // L"KorvimoAbout"

// Shows the about box without an owner and without blocking the caller.
void about_Click(HINSTANCE instance);

// Opens "readme.chm" from the program's own folder through the shell.
void help2_Click(HWND main);

// Opens the maker's home page through the shell.
void home_Click(HWND main);

// Opens a new mail to the maker through the shell.
void email_Click(HWND main);

}  // namespace korvimo
