#pragma once
// Text files are read line by line the way the program has always read them:
// a line ends at CR LF or at a lone CR. A lone LF is not a line end; it stays
// inside the line as an ordinary character.
//
// The line ends themselves are not part of the returned lines. A final line
// that has no line end after it still counts as a line, so "a\r\nb" gives two
// lines; an empty input gives no lines at all, and "\r\n" gives one empty line.
#include <string>
#include <vector>

namespace korvimo {

// Byte strings (ANSI code page bytes as read from a file). In the GBK code
// page a CR byte never occurs inside a double-byte character, so splitting
// before decoding gives the same lines as splitting after.
std::vector<std::string> SplitTextLines(const std::string& bytes);

// UTF-16 text, same rule.
std::vector<std::u16string> SplitTextLines(const std::u16string& text);

// The same, but a lone LF ends a line too, for files that come from
// machines where LF alone is the line end.
std::vector<std::u16string> SplitTextLinesAnyEnd(const std::u16string& text);

}  // namespace korvimo
