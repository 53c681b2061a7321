#include <gtest/gtest.h>

#include "browser/open_save.h"

namespace korvimo {
namespace {

class Latin1Codec : public AnsiCodec {
public:
    std::string ToAnsi(const std::u16string& text) const override {
        std::string out;
        for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return out;
    }
    std::u16string FromAnsi(const std::string& bytes) const override {
        std::u16string out;
        for (unsigned char b : bytes) out.push_back(b);
        return out;
    }
};

TEST(OpenedTextTest, EveryLineEndBecomesCrLf) {
    Latin1Codec codec;
    EXPECT_EQ(TextFromFile("", codec), u"");
    EXPECT_EQ(TextFromFile("last line without end", codec), u"last line without end\r\n");
    EXPECT_EQ(TextFromFile("a\r\nb\rc\r\n", codec), u"a\r\nb\r\nc\r\n");
    // A lone LF is no line end: an LF-only file is one line.
    EXPECT_EQ(TextFromFile("one\ntwo\n", codec), u"one\ntwo\n\r\n");
    EXPECT_EQ(TextFromFile("\r\n\r\n", codec), u"\r\n\r\n");
}

TEST(OpenedTextTest, LinesAreDecodedInTheCodePage) {
    Latin1Codec codec;
    EXPECT_EQ(TextFromFile("caf\xE9\r\n", codec), u"caf\u00E9\r\n");
}

TEST(SavedTextTest, TextIsWrittenAsItIsWithoutAnAddedLineEnd) {
    Latin1Codec codec;
    EXPECT_EQ(TextFileBytes(u"a\r\nb\nc\rd", codec), "a\r\nb\nc\rd");
    EXPECT_EQ(TextFileBytes(u"", codec), "");
    EXPECT_EQ(TextFileBytes(u"\u4E2D", codec), "?");
}

TEST(PictureFormatTest, TheFilterDecidesNotTheName) {
    EXPECT_EQ(PictureFormatForFilter(1), PictureFormat::Bitmap);
    EXPECT_EQ(PictureFormatForFilter(2), PictureFormat::Gif);
    EXPECT_EQ(PictureFormatForFilter(0), PictureFormat::None);
    EXPECT_EQ(PictureFormatForFilter(3), PictureFormat::None);
}

TEST(DialogFilterTest, BarsBecomeNulsAndTheListIsDoublyTerminated) {
    std::u16string filter = DialogFilter(kSavePictureFilter);
    std::u16string expected = u"位图文件(*.bmp;*.dib)";
    expected += u'\0';
    expected += u"*.bmp;*.dib";
    expected += u'\0';
    expected += u"GIF文件(*.gif)";
    expected += u'\0';
    expected += u"*.gif";
    expected += u'\0';
    expected += u'\0';
    EXPECT_EQ(filter, expected);
}

}  // namespace
}  // namespace korvimo
