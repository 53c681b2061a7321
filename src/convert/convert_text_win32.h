#pragma once
// The two conversion commands' work on the text box.
#include <windows.h>

#include "convert/code_tables.h"

namespace korvimo {

// Rewrites the text of `window` between Big5 and GB2312. The window hands its
// text over as bytes of the ANSI code page, which are converted where they
// stand and handed back the same way: the conversion copies nothing.
void ConvertWindowText(HWND window, const CodeTables& tables, bool big5ToGb);

}  // namespace korvimo
