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
