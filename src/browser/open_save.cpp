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

AnsiFileBytes TextFileBytes(const std::u16string& text, const AnsiCodec& codec) {
    AnsiFileBytes file{codec.ToAnsi(text)};
    // A best-fit character (a Latin letter for an accented one) fails this
    // test too, as it should: the text would not come back as it was.
    file.whole = codec.FromAnsi(file.bytes) == text;
    return file;
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
