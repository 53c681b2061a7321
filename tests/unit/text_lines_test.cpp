#include "common/text_lines.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

using Lines = std::vector<std::string>;
using Lines16 = std::vector<std::u16string>;

TEST(TextLines, EndsAtCrLfAndLoneCr) {
    EXPECT_EQ(SplitTextLines(std::string("one\r\ntwo\rthree\r\n")), (Lines{"one", "two", "three"}));
}

TEST(TextLines, LoneLfStaysInsideTheLine) {
    EXPECT_EQ(SplitTextLines(std::string("a\nb\n")), (Lines{"a\nb\n"}));
    EXPECT_EQ(SplitTextLines(std::string("a\n\rb")), (Lines{"a\n", "b"}));
}

TEST(TextLines, FinalLineWithoutEndCounts) {
    EXPECT_EQ(SplitTextLines(std::string("a\r\nb")), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines(std::string("only")), (Lines{"only"}));
}

TEST(TextLines, EmptyInputAndEmptyLines) {
    EXPECT_TRUE(SplitTextLines(std::string()).empty());
    EXPECT_EQ(SplitTextLines(std::string("\r\n")), (Lines{""}));
    // CR CR LF: a lone CR, then a CR LF.
    EXPECT_EQ(SplitTextLines(std::string("a\r\r\nb")), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines(std::string("\r\r")), (Lines{"", ""}));
}

TEST(TextLines, CrLfSplitAcrossNothingAtTheEnd) {
    // A CR as the very last character is a line end, not the start of a CR LF.
    EXPECT_EQ(SplitTextLines(std::string("x\r")), (Lines{"x"}));
}

TEST(TextLines, Utf16FollowsTheSameRule) {
    EXPECT_EQ(SplitTextLines(std::u16string(u"版本\r\n链接\n续\r末")), (Lines16{u"版本", u"链接\n续", u"末"}));
    EXPECT_TRUE(SplitTextLines(std::u16string()).empty());
}

TEST(TextLines, BytesAboveAsciiAreOrdinary) {
    // GBK double-byte characters (lead 0x81..0xFE, trail 0x40..0xFE) pass through.
    std::string gbk = "\xB0\xE6\xB1\xBE\r\n\xC1\xB4";
    EXPECT_EQ(SplitTextLines(gbk), (Lines{"\xB0\xE6\xB1\xBE", "\xC1\xB4"}));
}

}  // namespace
}  // namespace korvimo
