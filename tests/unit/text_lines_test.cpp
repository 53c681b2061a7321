#include "common/text_lines.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

using Lines = std::vector<std::string>;
using Lines16 = std::vector<std::u16string>;

TEST(TextLines, EndAtCrLfOrALoneCrNeverAtALoneLf) {
    const struct {
        const char* text;
        Lines lines;
    } cases[] = {
        {"one\r\ntwo\rthree\r\n", {"one", "two", "three"}},
        {"a\nb\n", {"a\nb\n"}},
        {"a\n\rb", {"a\n", "b"}},
        {"a\r\nb", {"a", "b"}},  // the final line needs no end
        {"only", {"only"}},
        {"", {}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},  // a lone CR, then a CR LF
        {"\r\r", {"", ""}},
        {"x\r", {"x"}},  // a CR as the very last character is a line end
        // GBK double-byte characters (lead 0x81..0xFE, trail 0x40..0xFE) pass through.
        {"\xB0\xE6\xB1\xBE\r\n\xC1\xB4", {"\xB0\xE6\xB1\xBE", "\xC1\xB4"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitTextLines(std::string(c.text)), c.lines) << c.text;
}

TEST(TextLines, Utf16FollowsTheSameRule) {
    EXPECT_EQ(SplitTextLines(std::u16string(u"版本\r\n链接\n续\r末")), (Lines16{u"版本", u"链接\n续", u"末"}));
    EXPECT_TRUE(SplitTextLines(std::u16string()).empty());
}

}  // namespace
}  // namespace korvimo
