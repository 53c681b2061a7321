#pragma once
// Saves a bitmap as a 24-bit Windows bitmap file.
#include <windows.h>

#include <string>

namespace korvimo {

// True when the whole file was written; on failure an existing file at
// `path` is left as it was. The bitmap must not be selected into a DC.
bool WriteBitmapFile(HBITMAP picture, const std::wstring& path);

}  // namespace korvimo
