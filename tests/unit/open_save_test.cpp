#include <gtest/gtest.h>

#include "browser/open_save.h"
#include "committed_tables.h"
#include "common/text_encoding.h"
#include "common/text_lines.h"
#include "memory_clip_files.h"

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

// A code page in which a surrogate pair is "P" and a lone half "?".
struct PairCodec : AnsiCodec {
    std::string ToAnsi(const std::u16string& text) const override {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00;
            out += pair ? 'P' : text[i] >= 0xD800 && text[i] < 0xE000 ? '?' : static_cast<char>(text[i]);
            i += pair;
        }
        return out;
    }
    std::u16string FromAnsi(const std::string&) const override { return {}; }
};

TEST(TextFileTest, AStoredTextIsWrittenInPiecesAndAPairSplitBetweenThemStaysWhole) {
    testing::MemoryClipFiles files;
    ClipStore store(files, 0);
    const std::u16string text = std::u16string(kTextPieceChars - 1, u'a') + u"\U0001F600b";
    VectorSink file;
    EXPECT_TRUE(WriteTextFile(store.PutText(text), PairCodec(), TextFileEncoding::Ansi, file));
    EXPECT_EQ(std::string(file.bytes.begin(), file.bytes.end()), std::string(kTextPieceChars - 1, 'a') + "Pb");
}

TEST(TextFileTest, TextsTheCodePageLacksAreSaidAndGoWholeToUtf8) {
    testing::MemoryClipFiles files;
    ClipStore store(files, 0);
    const test_support::Latin1Codec codec;
    const std::u16string text = u"\u00E9\xD800\U0001F600";
    EXPECT_TRUE(*AnsiHoldsText(store.PutText(u"\u00E9"), codec) && !*AnsiHoldsText(store.PutText(text), codec));
    VectorSink utf8;
    EXPECT_TRUE(WriteTextFile(store.PutText(text), codec, TextFileEncoding::Utf8, utf8));
    EXPECT_EQ(std::string(utf8.bytes.begin(), utf8.bytes.end()), "\xEF\xBB\xBF\xC3\xA9\xEF\xBF\xBD\xF0\x9F\x98\x80");
    const std::u16string edges = u"\x7F\x80\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";  // each length's ends
    EXPECT_EQ(TextFromFile(kUtf8Mark + Utf8Bytes(edges), codec), edges + u"\r\n");
}

}  // namespace
}  // namespace korvimo
