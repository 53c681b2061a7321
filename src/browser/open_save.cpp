#include "browser/open_save.h"

#include "common/text_encoding.h"
#include "common/text_lines.h"

namespace korvimo {

std::u16string TextFromFile(const std::string& bytes, const AnsiCodec& codec) {
    std::u16string text, unicode;
    if (UnicodeFileText(bytes, unicode)) {
        for (const std::u16string& line : SplitTextLines(unicode)) {
            text += line;
            text += u"\r\n";
        }
        return text;
    }
    for (const std::string& line : SplitTextLines(bytes)) {
        text += codec.FromAnsi(line);
        text += u"\r\n";
    }
    return text;
}

namespace {

// A stored text a piece at a time, each piece ending on a whole character: a
// surrogate pair split between two pieces goes whole with the next one.
bool ReadCharPieces(const TextRef& text, const std::function<bool(const std::u16string&)>& sink) {
    std::u16string piece;
    const bool read = ReadTextPieces(text, [&](std::u16string_view next) {
        piece.append(next);
        const bool split = piece.back() >= 0xD800 && piece.back() < 0xDC00;
        const char16_t high = split ? piece.back() : u'\0';
        if (split) piece.pop_back();
        const bool taken = sink(piece);
        piece.assign(split ? 1 : 0, high);
        return taken;
    });
    return read && (piece.empty() || sink(piece));
}

}  // namespace

std::optional<bool> AnsiHoldsText(const TextRef& text, const AnsiCodec& codec) {
    bool whole = true;
    // A best-fit character (a Latin letter for an accented one) fails this
    // test too, as it should: the text would not come back as it was.
    const bool read = ReadCharPieces(text, [&](const std::u16string& piece) {
        whole = codec.FromAnsi(codec.ToAnsi(piece)) == piece;
        return whole;
    });
    if (!whole) return false;
    if (!read) return std::nullopt;
    return true;
}

bool WriteTextFile(const TextRef& text, const AnsiCodec& codec, TextFileEncoding encoding, ByteSink& file) {
    auto write = [&file](const std::string& bytes) {
        return file.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    };
    if (encoding == TextFileEncoding::Ansi)
        return ReadCharPieces(text, [&](const std::u16string& piece) { return write(codec.ToAnsi(piece)); });
    return write(kUtf8Mark) && ReadCharPieces(text, [&](const std::u16string& piece) { return write(Utf8Bytes(piece)); });
}

PictureFormat PictureFormatForFilter(int filterIndex) {
    switch (filterIndex) {
        case 1: return PictureFormat::Bitmap;
        case 2: return PictureFormat::Gif;
        default: return PictureFormat::None;
    }
}

std::u16string WithFilterExtension(const std::u16string& path, const std::u16string& filter, int filterIndex) {
    const size_t slash = path.find_last_of(u"\\/:");
    if (filterIndex < 1 || path.find(u'.', slash == std::u16string::npos ? 0 : slash + 1) != std::u16string::npos)
        return path;
    size_t at = 0;  // on to the pattern, the second field of the filter's pair
    for (int bar = 0; bar < 2 * filterIndex - 1; ++bar) {
        at = filter.find(u'|', at);
        if (at == std::u16string::npos) return path;
        ++at;
    }
    const std::u16string pattern = filter.substr(at, filter.find_first_of(u";|", at) - at);
    const bool oneExtension = pattern.size() > 2 && pattern.compare(0, 2, u"*.") == 0 &&
                              pattern.find_first_of(u"*?", 2) == std::u16string::npos;
    if (!oneExtension) return path;
    return path + pattern.substr(1);
}

std::u16string DialogFilter(const std::u16string& filter) {
    std::u16string out = filter;
    for (char16_t& c : out)
        if (c == u'|') c = u'\0';
    out.push_back(u'\0');
    return out;
}

}  // namespace korvimo
