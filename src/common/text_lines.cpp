#include "common/text_lines.h"

namespace korvimo {

namespace {

template <typename String>
std::vector<String> SplitLines(const String& text, bool lone_lf_ends_line) {
    using Char = typename String::value_type;
    const Char cr = static_cast<Char>('\r');
    const Char lf = static_cast<Char>('\n');

    std::vector<String> lines;
    size_t line_start = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != cr && !(lone_lf_ends_line && text[i] == lf)) {
            ++i;
            continue;
        }
        lines.push_back(text.substr(line_start, i - line_start));
        if (text[i++] == cr && i < text.size() && text[i] == lf) ++i;  // CR LF is one line end
        line_start = i;
    }
    // Whatever follows the last line end is a line of its own.
    if (line_start < text.size()) lines.push_back(text.substr(line_start));
    return lines;
}

}  // namespace

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    return SplitLines(bytes, false);
}

std::vector<std::u16string> SplitTextLines(const std::u16string& text) {
    return SplitLines(text, false);
}

std::vector<std::u16string> SplitTextLinesAnyEnd(const std::u16string& text) {
    return SplitLines(text, true);
}

}  // namespace korvimo
