#include "find/text_find.h"

namespace korvimo {

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
    // Latin-1 capitals, all but the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    // Latin Extended-A pairs capitals and smalls, capital first; the pairing
    // shifts by one from U+0139 and from U+0179. The dotted capital I has no
    // one-unit folding.
    if (c >= 0x100 && c <= 0x137 && c != 0x130) return static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c % 2 ? static_cast<char16_t>(c + 1) : c;
    if (c >= 0x14A && c <= 0x177) return static_cast<char16_t>(c | 1);
    if (c == 0x178) return 0xFF;
    // Greek capitals (no capital final sigma at U+03A2), Cyrillic ones.
    if (c == 0x3C2) return 0x3C3;  // the final sigma is a sigma
    if (c == 0x386 || c == 0x38C) return static_cast<char16_t>(c + (c == 0x386 ? 0x26 : 0x40));
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 0x25);
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 0x3F);
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);  // full-width Ａ-Ｚ
    return c;
}

PieceMatcher::PieceMatcher(std::u16string_view needle) : needle_(needle), fallback_(needle.size(), 0) {
    for (char16_t& c : needle_) c = FoldCase(c);
    for (size_t i = 1, k = 0; i < needle_.size(); ++i) {
        while (k > 0 && needle_[i] != needle_[k]) k = fallback_[k - 1];
        if (needle_[i] == needle_[k]) ++k;
        fallback_[i] = k;
    }
}

namespace {

// Every unit's folding looked up at once: a find reads every text whole.
const std::vector<char16_t>& FoldTable() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> folded(0x10000);
        for (uint32_t c = 0; c < folded.size(); ++c) folded[c] = FoldCase(static_cast<char16_t>(c));
        return folded;
    }();
    return table;
}

}  // namespace

bool PieceMatcher::Feed(std::u16string_view piece) {
    if (found_ || needle_.empty()) return found_;
    const char16_t* fold = FoldTable().data();
    for (char16_t raw : piece) {
        const char16_t c = fold[raw];
        while (matched_ > 0 && c != needle_[matched_]) matched_ = fallback_[matched_ - 1];
        if (c == needle_[matched_] && ++matched_ == needle_.size()) return found_ = true;
    }
    return false;
}

bool PiecesContain(const TextPieces& pieces, int32_t slot, std::u16string_view needle) {
    PieceMatcher matcher(needle);
    if (needle.empty() || !pieces) return false;
    // The reader stops as soon as the needle is seen; a failed read after a
    // match still found it.
    pieces(slot, [&matcher](std::u16string_view piece) { return !matcher.Feed(piece); });
    return matcher.Found();
}

bool TextContains(std::u16string_view text, std::u16string_view needle) { return PieceMatcher(needle).Feed(text); }

std::optional<size_t> NextMatch(size_t count, std::optional<size_t> current, bool forward,
                                const std::function<bool(size_t)>& matches) {
    if (count == 0) return std::nullopt;
    if (current && *current >= count) current.reset();
    // Without a current entry, the first one asked is the first in the direction.
    size_t at = current ? *current : (forward ? count - 1 : 0);
    for (size_t asked = 0; asked < count; ++asked) {
        at = forward ? (at + 1) % count : (at + count - 1) % count;
        if (matches(at)) return at;
    }
    return std::nullopt;
}

}  // namespace korvimo
