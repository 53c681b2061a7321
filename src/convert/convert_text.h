#pragma once
// The conversion commands' work on a text: the tables convert bytes of the
// ANSI code page, so the text goes to those bytes and back, except for the
// characters the code page lacks.
#include <string>

#include "common/ansi_codec.h"
#include "convert/code_tables.h"

namespace korvimo {

// Converts the runs of characters the code page holds; the characters it
// lacks (emoji, Hangul) stay as they are, where their bytes would have been
// the default character, gone for good. A text the code page holds whole is
// converted in one piece, exactly as its bytes would be.
std::u16string ConvertHeldText(const std::u16string& text, const CodeTables& tables, const AnsiCodec& codec,
                               bool big5ToGb);

}  // namespace korvimo
