#include "browser/node_tip.h"

namespace korvimo {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

std::u16string Decimal(int32_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string TextTip(const std::u16string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        size_t first = start, last = end;
        while (first < last && IsBlank(text[first])) ++first;
        while (last > first && IsBlank(text[last - 1])) --last;
        if (first < last) {
            bool cut = last - first > kTipTextLength;
            if (cut) {
                last = first + kTipTextLength;
                // A lone high surrogate would show as a box.
                if (text[last - 1] >= 0xD800 && text[last - 1] <= 0xDBFF) --last;
            }
            std::u16string tip = text.substr(first, last - first);
            for (char16_t& c : tip)
                if (c < 0x20 || c == 0x7F) c = u' ';
            return cut ? tip + u"…" : tip;
        }
        start = end + 1;
    }
    return {};
}

std::u16string PictureTip(int32_t width, int32_t height) {
    return Decimal(width) + u" × " + Decimal(height) + u" 像素";
}

}  // namespace korvimo
