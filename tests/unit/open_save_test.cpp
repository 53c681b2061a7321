#include <gtest/gtest.h>

#include "browser/open_save.h"
#include "fake_codec.h"

namespace korvimo {
namespace {

TEST(OpenedTextTest, EveryLineEndBecomesCrLf) {
    testing::FakeDbcsCodec codec;
    EXPECT_EQ(TextFromFile("", codec), u"");
    EXPECT_EQ(TextFromFile("last line without end", codec), u"last line without end\r\n");
    EXPECT_EQ(TextFromFile("a\r\nb\rc\r\n", codec), u"a\r\nb\r\nc\r\n");
    // A lone LF is no line end: an LF-only file is one line.
    EXPECT_EQ(TextFromFile("one\ntwo\n", codec), u"one\ntwo\n\r\n");
    EXPECT_EQ(TextFromFile("\r\n\r\n", codec), u"\r\n\r\n");
}

TEST(OpenedTextTest, LinesAreDecodedInTheCodePage) {
    testing::FakeDbcsCodec codec;
    EXPECT_EQ(TextFromFile("caf\xE9\r\n", codec), u"caf\u00E9\r\n");
}

TEST(SavedTextTest, TextIsWrittenAsItIsWithoutAnAddedLineEnd) {
    testing::FakeDbcsCodec codec;
    EXPECT_EQ(TextFileBytes(u"a\r\nb\nc\rd", codec), "a\r\nb\nc\rd");
    EXPECT_EQ(TextFileBytes(u"", codec), "");
    EXPECT_EQ(TextFileBytes(u"\u4E2D", codec), codec.ToAnsi(u"\u4E2D"));
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
