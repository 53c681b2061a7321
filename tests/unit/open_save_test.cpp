#include <gtest/gtest.h>

#include "browser/open_save.h"
#include "committed_tables.h"
#include "common/text_encoding.h"
#include "common/text_lines.h"

namespace korvimo {
namespace {

TEST(TextLines, EndAtCrLfOrALoneCrNeverAtALoneLf) {
    const struct {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"one\r\ntwo\rthree\r\n", {"one", "two", "three"}},
        {"a\n\rb", {"a\n", "b"}},  // the final line needs no end
        {"", {}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},  // a lone CR, then a CR LF
        {"x\r", {"x"}},  // a CR as the very last character is a line end
    };
    for (const auto& c : cases) EXPECT_EQ(SplitTextLines(std::string(c.text)), c.lines) << c.text;
}

TEST(DialogFilterTest, BarsBecomeNulsAndTheListIsDoublyTerminated) {
    EXPECT_EQ(DialogFilter(u"A|a|B|b|"), std::u16string(u"A\0a\0B\0b\0\0", 9));
    EXPECT_EQ(WithFilterExtension(u"C:\\a.b\\x", kSaveTextFilter, 1), u"C:\\a.b\\x.txt");
    EXPECT_EQ(WithFilterExtension(u"x", kSaveTextFilter, 2), u"x");  // *.*
    EXPECT_EQ(WithFilterExtension(u"x", kSavePictureFilter, 1) + WithFilterExtension(u"x", kSavePictureFilter, 2),
              u"x.bmpx.gif");
    EXPECT_EQ(WithFilterExtension(u"x.gif", kSavePictureFilter, 1), u"x.gif");
}

using namespace std::string_literals;

// A mark decides; without one, well-formed UTF-8 that is not ASCII is UTF-8, anything else the code page's.
TEST(TextFromFileTest, EncodingComesFromTheMarkOrUtf8sFormAndTheLinesKeepTheirRules) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"\xEF\xBB\xBF" "a\n\r\xF0\x9F\x98\x80", u"a\n\r\n\U0001F600\r\n"},
        {"\xFF\xFE" "a\0\r\0\n\0\x3D\xD8\x00\xDE"s, u"a\r\n\U0001F600\r\n"},
        {"\xFE\xFF\0\r\xD8\x3D\xDE\x00\0\0"s, u"\r\n\U0001F600\0\r\n"s},
        {"caf\xC3\xA9\xED\x9F\xBF\0"s, u"caf\u00E9\uD7FF\0\r\n"s},
        {"\xF4\x90\x80\x80", u"\u00F4\u0090\u0080\u0080\r\n"},  // past U+10FFFF: the code page's
        {"\xEF\xBB\xBF" "\xC3\xA9\x80\xC0\xED\xA0\x80\xF4\x90\x80\x80\xE4\xB8",  // stray, overlong, surrogate, high, cut
         u"\u00E9" + std::u16string(10, u'\uFFFD') + u"\r\n"},
        {"\xFF\xFE" "a\0b"s, u"a\uFFFD\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(TextFromFile(c.bytes, test_support::Latin1Codec()), c.text) << c.bytes;
}

TEST(TextFileBytesTest, TextsTheCodePageLacksAreSaidAndGoWholeToUtf8) {
    const test_support::Latin1Codec codec;
    const std::u16string text = u"\u00E9\xD800\U0001F600";
    EXPECT_TRUE(TextFileBytes(u"\u00E9", codec).whole && !TextFileBytes(text, codec).whole);
    EXPECT_EQ(Utf8FileBytes(text), "\xEF\xBB\xBF\xC3\xA9\xEF\xBF\xBD\xF0\x9F\x98\x80");
    const std::u16string edges = u"\x7F\x80\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";  // each length's ends
    EXPECT_EQ(TextFromFile(Utf8FileBytes(edges), codec), edges + u"\r\n");
}

}  // namespace
}  // namespace korvimo
