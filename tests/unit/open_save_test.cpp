#include <gtest/gtest.h>

#include "browser/open_save.h"
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
    EXPECT_TRUE(WriteTextFile(store.PutText(text), PairCodec(), file));
    EXPECT_EQ(std::string(file.bytes.begin(), file.bytes.end()), std::string(kTextPieceChars - 1, 'a') + "Pb");
}

}  // namespace
}  // namespace korvimo
