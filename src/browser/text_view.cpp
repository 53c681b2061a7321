#include "browser/text_view.h"

#include <algorithm>
#include <new>

namespace korvimo {

namespace {

std::u16string Number(size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::optional<ShownText> TextToShow(const TextRef& text) {
    try {
        ShownText shown;
        const size_t length = text ? text->Length() : 0;
        shown.text.reserve(std::min(length, kLargestShownText));
        bool nul = false;
        const bool read = ReadTextPieces(text, [&](std::u16string_view piece) {
            piece = piece.substr(0, kLargestShownText - shown.text.size());
            const size_t from = shown.text.size();
            shown.text.append(piece);
            auto begin = shown.text.begin() + static_cast<std::ptrdiff_t>(from);
            if (std::find(begin, shown.text.end(), u'\0') != shown.text.end()) {
                nul = true;
                std::replace(begin, shown.text.end(), u'\0', kShownNul);
            }
            return shown.text.size() < kLargestShownText;
        });
        if (!read) return std::nullopt;
        std::u16string note;
        if (length > shown.text.size())
            note = u"［此条目共 " + Number(length) + u" 个字符，这里只显示前 " + Number(shown.text.size()) +
                   u" 个，因此只读；保存、内码转换和复制使用全文。］\r\n";
        else if (nul)
            note = u"［此条目含有空字符，这里显示为 ␀，因此只读；保存、内码转换和复制使用原文。］\r\n";
        if (!note.empty()) {
            shown.text.insert(0, note);
            shown.readOnly = true;
        }
        return shown;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace korvimo
