#include "common/text_encoding.h"

namespace korvimo {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(char32_t c, std::u16string& out) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

// Walks UTF-8 from `from`, appending the text to `out` when it is given. An
// ill-formed sequence is replaced as a whole: its lead byte and whichever
// continuation bytes were still acceptable (Unicode's "maximal subpart").
bool WalkUtf8(const std::string& bytes, size_t from, std::u16string* out) {
    bool wellFormed = true;
    const size_t n = bytes.size();
    size_t i = from;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            if (out) out->push_back(lead);
            ++i;
            continue;
        }
        const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                            : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        // The second byte's range shuts out overlong forms, surrogates and values past U+10FFFF.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        char32_t c = lead & (0x7F >> length);
        size_t taken = 1;
        for (; taken < length && i + taken < n; ++taken) {
            const auto next = static_cast<unsigned char>(bytes[i + taken]);
            if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF)) break;
            c = c << 6 | (next & 0x3F);
        }
        i += taken;
        if (taken == length) {
            if (out) AppendCodePoint(c, *out);
        } else {
            wellFormed = false;
            if (!out) return false;
            out->push_back(kReplacement);
        }
    }
    return wellFormed;
}

std::u16string Utf16Text(const std::string& bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    if (i < bytes.size()) text.push_back(kReplacement);  // half a code unit at the end
    return text;
}

bool StartsWith(const std::string& bytes, const char* mark) {
    return bytes.compare(0, std::char_traits<char>::length(mark), mark) == 0;
}

}  // namespace

bool IsUtf8(const std::string& bytes) { return WalkUtf8(bytes, 0, nullptr); }

bool UnicodeFileText(const std::string& bytes, std::u16string& text) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        std::u16string decoded;
        decoded.reserve(bytes.size());
        WalkUtf8(bytes, 3, &decoded);
        text = std::move(decoded);
    } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        text = Utf16Text(bytes, bytes[0] == '\xFE');
    } else {
        bool ascii = true;
        for (char b : bytes) ascii = ascii && static_cast<unsigned char>(b) < 0x80;
        if (ascii || !IsUtf8(bytes)) return false;
        std::u16string decoded;
        decoded.reserve(bytes.size());
        WalkUtf8(bytes, 0, &decoded);
        text = std::move(decoded);
    }
    return true;
}

std::string Utf8Bytes(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = kReplacement;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace korvimo
