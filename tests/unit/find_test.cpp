#include <gtest/gtest.h>

#include "find/text_find.h"

namespace korvimo {
namespace {

TEST(FindText, MatchesAcrossPiecesIgnoringCaseAndStopsReadingOnceFound) {
    struct Row { std::vector<std::u16string> pieces; std::u16string needle; bool found; size_t piecesRead; };
    const Row rows[] = {
        {{u"xa", u"b", u"cy"}, u"ABC", true, 3},        {{u"aba", u"bac", u"zz"}, u"abac", true, 2},
        {{u"aab"}, u"ab", true, 1},                      {{u"ab", u"ba", u"c"}, u"ababc", false, 3},
        {{u"abab", u"c"}, u"ababc", true, 2},            {{u"ÀÉÎ Ÿ Ĺ ĸ"}, u"àéî ÿ ĺ ĸ", true, 1},
        {{u"ΣΟΦΙΑ ПРИВЕТ Ё"}, u"σοφια привет ё", true, 1}, {{u"λόγος"}, u"ΛΌΓΟΣ", true, 1},
        {{u"ｗｉｎ 剪贴"}, u"ＷＩＮ 剪贴", true, 1},        {{u"İ"}, u"ı", false, 1},
        {{u"×"}, u"÷", false, 1},                          {{u"abc"}, u"", false, 0},
    };
    for (const Row& row : rows) {
        const auto at = &row - rows;
        size_t read = 0;
        TextPieces pieces = [&](int32_t, const TextSink& sink) {
            for (const auto& piece : row.pieces)
                if (++read, !sink(piece)) break;
            return true;
        };
        EXPECT_EQ(PiecesContain(pieces, 0, row.needle), row.found) << at;
        EXPECT_EQ(read, row.piecesRead) << at;
    }
    // A text that cannot be read matches only as far as it was read.
    EXPECT_FALSE(PiecesContain([](int32_t, const TextSink& sink) { return sink(u"ab"), false; }, 0, u"abc"));
}

TEST(FindText, GoesOnFromTheCurrentEntryRoundPastTheEndAndAsksItLast) {
    const auto inOneOrThree = [](size_t i) { return i == 1 || i == 3; };
    using O = std::optional<size_t>;
    EXPECT_EQ(NextMatch(5, 3, true, inOneOrThree), O(1));
    EXPECT_EQ(NextMatch(5, 1, true, inOneOrThree), O(3));
    EXPECT_EQ(NextMatch(5, 1, false, inOneOrThree), O(3));
    EXPECT_EQ(NextMatch(5, 3, false, inOneOrThree), O(1));
    EXPECT_EQ(NextMatch(5, {}, true, inOneOrThree), O(1));
    EXPECT_EQ(NextMatch(5, 9, false, inOneOrThree), O(3));
    EXPECT_EQ(NextMatch(5, 2, true, [](size_t i) { return i == 2; }), O(2));
    EXPECT_EQ(NextMatch(5, 2, true, [](size_t) { return false; }), O());
    EXPECT_EQ(NextMatch(0, {}, true, [](size_t) { return true; }), O());
}

}  // namespace
}  // namespace korvimo
