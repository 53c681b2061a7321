#pragma once
// The two conversion commands' work on the text box.
#include <windows.h>

#include "convert/code_tables.h"

namespace korvimo {

// Rewrites the text of the edit control `window` between Big5 and GB2312,
// keeping the characters the ANSI code page lacks, as an edit the box can undo.
void ConvertWindowText(HWND window, const CodeTables& tables, bool big5ToGb);

}  // namespace korvimo
