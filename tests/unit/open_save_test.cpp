#include <gtest/gtest.h>

#include "browser/open_save.h"
#include "common/text_lines.h"
#include "fake_codec.h"

namespace korvimo {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLines, EndAtCrLfOrALoneCrNeverAtALoneLfInBytesAndUtf16Alike) {
    const struct {
        std::string text;
        Lines lines;
    } cases[] = {
        {"one\r\ntwo\rthree\r\n", {"one", "two", "three"}},
        {"a\nb\n", {"a\nb\n"}},
        {"a\n\rb", {"a\n", "b"}},
        {"a\r\nb", {"a", "b"}},  // the final line needs no end
        {"", {}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},  // a lone CR, then a CR LF
        {"\r\r", {"", ""}},
        {"x\r", {"x"}},  // a CR as the very last character is a line end
        // GBK double-byte characters (lead 0x81..0xFE, trail 0x40..0xFE) pass through.
        {"\xB0\xE6\xB1\xBE\r\n\xC1\xB4", {"\xB0\xE6\xB1\xBE", "\xC1\xB4"}},
    };
    auto wide = [](const std::string& s) { return std::u16string(s.begin(), s.end()); };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.text;
        std::vector<std::u16string> wideLines;
        for (const std::string& line : c.lines) wideLines.push_back(wide(line));
        EXPECT_EQ(SplitTextLines(wide(c.text)), wideLines) << c.text;
    }
}

TEST(OpenedTextTest, EveryLineIsDecodedAndEndsInCrLf) {
    testing::FakeDbcsCodec codec;
    EXPECT_EQ(TextFromFile("", codec), u"");
    EXPECT_EQ(TextFromFile("a\r\nb\rc", codec), u"a\r\nb\r\nc\r\n");
    EXPECT_EQ(TextFromFile("caf\xE9\none\r\n", codec), u"caf\u00E9\none\r\n");
}

TEST(SavedTextTest, TextIsWrittenAsItIsWithoutAnAddedLineEnd) {
    testing::FakeDbcsCodec codec;
    EXPECT_EQ(TextFileBytes(u"a\r\nb\nc\rd", codec), "a\r\nb\nc\rd");
}

TEST(PictureFormatTest, TheFilterDecidesNotTheName) {
    EXPECT_EQ(PictureFormatForFilter(1), PictureFormat::Bitmap);
    EXPECT_EQ(PictureFormatForFilter(2), PictureFormat::Gif);
    EXPECT_EQ(PictureFormatForFilter(0), PictureFormat::None);
    EXPECT_EQ(PictureFormatForFilter(3), PictureFormat::None);
}

TEST(DialogFilterTest, BarsBecomeNulsAndTheListIsDoublyTerminated) {
    EXPECT_EQ(DialogFilter(u"A|a|B|b|"), std::u16string(u"A\0a\0B\0b\0\0", 9));
}

}  // namespace
}  // namespace korvimo
