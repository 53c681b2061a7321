#include "common/text_lines.h"

namespace korvimo {

namespace {

template <typename String>
std::vector<String> SplitLinesAtCr(const String& text) {
    using Char = typename String::value_type;
    const Char cr = static_cast<Char>('\r');
    const Char lf = static_cast<Char>('\n');

    std::vector<String> lines;
    size_t line_start = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != cr) {
            ++i;
            continue;
        }
        lines.push_back(text.substr(line_start, i - line_start));
        ++i;
        if (i < text.size() && text[i] == lf) ++i;  // CR LF is one line end
        line_start = i;
    }
    // Whatever follows the last line end is a line of its own.
    if (line_start < text.size()) lines.push_back(text.substr(line_start));
    return lines;
}

}  // namespace

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    return SplitLinesAtCr(bytes);
}

std::vector<std::u16string> SplitTextLines(const std::u16string& text) {
    return SplitLinesAtCr(text);
}

}  // namespace korvimo
