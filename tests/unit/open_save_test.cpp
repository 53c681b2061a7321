#include <gtest/gtest.h>

#include "browser/open_save.h"
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
}

}  // namespace
}  // namespace korvimo
