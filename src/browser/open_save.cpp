#include "browser/open_save.h"

#include "common/text_lines.h"

namespace korvimo {

std::u16string TextFromFile(const std::string& bytes, const AnsiCodec& codec) {
    std::u16string text;
    for (const std::string& line : SplitTextLines(bytes)) {
        text += codec.FromAnsi(line);
        text += u"\r\n";
    }
    return text;
}

std::string TextFileBytes(const std::u16string& text, const AnsiCodec& codec) { return codec.ToAnsi(text); }

bool ReadAnsiPieces(const TextRef& text, const AnsiCodec& codec, const std::function<bool(const std::string&)>& sink) {
    std::u16string piece;
    const bool read = ReadTextPieces(text, [&](std::u16string_view next) {
        piece.append(next);
        // A surrogate pair split between two pieces is converted whole, with the next.
        const bool split = piece.back() >= 0xD800 && piece.back() < 0xDC00;
        const char16_t high = split ? piece.back() : u'\0';
        if (split) piece.pop_back();
        const bool taken = sink(codec.ToAnsi(piece));
        piece.assign(split ? 1 : 0, high);
        return taken;
    });
    return read && (piece.empty() || sink(codec.ToAnsi(piece)));
}

bool WriteTextFile(const TextRef& text, const AnsiCodec& codec, ByteSink& file) {
    return ReadAnsiPieces(text, codec, [&file](const std::string& bytes) {
        return file.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    });
}

PictureFormat PictureFormatForFilter(int filterIndex) {
    switch (filterIndex) {
        case 1: return PictureFormat::Bitmap;
        case 2: return PictureFormat::Gif;
        default: return PictureFormat::None;
    }
}

std::u16string DialogFilter(const std::u16string& filter) {
    std::u16string out = filter;
    for (char16_t& c : out)
        if (c == u'|') c = u'\0';
    out.push_back(u'\0');
    return out;
}

}  // namespace korvimo
