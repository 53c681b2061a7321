#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "committed_tables.h"
#include "convert/code_tables.h"
#include "convert/convert_text.h"

namespace korvimo {
namespace {

const CodeTables& Committed() { return test_support::CommittedTables(); }

std::string Convert(bool big5ToGB, const std::string& text) {
    return big5ToGB ? Committed().Big5ToGB(text) : Committed().GBToBig5(text);
}

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

// Choices the sources once got wrong: 噁心殭屍甦醒鍼灸 came out as two blanks, 稣 and 箴, 歛財穨廢
// as 财 and 废 between blanks, and 干净叁佰腭 as 干凈三佰齶; 干 stays itself, Big5 has it.
TEST(Big5GBTables, SentencesKeepTheChoicesOnceGotWrong) {
    EXPECT_EQ(Committed().Big5ToGB("\xE4\xFA\xA4\xDF\xED\x4C\xAB\xCD\xB5\x64\xBF\xF4\xEE\xD3\xA8\x62"
                                   "\xED\x4B\xB0\x5D\xF2\xA7\xBC\x6F"),
              "\xB6\xF1\xD0\xC4\xBD\xA9\xCA\xAC\xCB\xD5\xD0\xD1\xD5\xEB\xBE\xC4"
              "\xC1\xB2\xB2\xC6\xCD\xC7\xB7\xCF");  // 恶心僵尸苏醒针灸敛财颓废
    EXPECT_EQ(Committed().GBToBig5("\xB8\xC9\xBE\xBB\xC8\xFE\xB0\xDB\xEB\xF1"),
              "\xA4\x7A\xB2\x62\xB0\xD1\xA8\xD5\xC3\x45");  // 干淨參佰顎
}

// The rule a pair at a time (two bytes are too short for the block walk): a
// pair is taken whole, so (0xB0, 0xFF) leaves the 一 (0xA4, 0x40) behind it
// intact where byte by byte 0xFF 0xA4 would pair up; a lone last byte stays.
std::string PairByPair(bool big5ToGB, const std::string& in) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    std::string out = in;
    for (std::size_t i = 0; i + 1 < in.size(); ++i) {
        if (bytes[i] >= 0xA1 && bytes[i + 1] >= (big5ToGB ? 0x40 : 0xA1)) {
            out.replace(i, 2, Convert(big5ToGB, in.substr(i, 2)));
            ++i;  // on past the trail
        }
    }
    return out;
}

// Runs of pair-like bytes of many lengths ending at every offset around the end of a block (32
// or 64 bytes): which bytes lead a pair depends on where each run began, possibly in the block before.
std::vector<std::string> BlockTexts() {
    std::vector<std::string> texts;
    for (int start = 0; start < 70; ++start) {
        for (int run = 1; run < 140; run += 3) {
            std::string text(start, 'a');
            for (int k = 0; k < run; ++k) text.push_back(static_cast<char>(0xB0 + k % 0x40));
            texts.push_back(text + "tail" + std::string(70, 'z'));
        }
    }
    return texts;
}

// The string calls convert in place, as the program's commands do on the
// text box's bytes; the buffer calls here write into another buffer.
TEST(Big5GBWalk, EveryCallFindsThePairsOfThePairByPairWalk) {
    for (const std::string& text : BlockTexts()) {
        const auto* in = reinterpret_cast<const unsigned char*>(text.data());
        std::string toGB(text.size(), '\0'), toBig5(text.size(), '\0');
        Committed().Big5ToGB(in, text.size(), reinterpret_cast<unsigned char*>(&toGB[0]));
        Committed().GBToBig5(in, text.size(), reinterpret_cast<unsigned char*>(&toBig5[0]));
        ASSERT_EQ(toGB, PairByPair(true, text));
        ASSERT_EQ(Committed().Big5ToGB(text), toGB);
        ASSERT_EQ(toBig5, PairByPair(false, text));
        ASSERT_EQ(Committed().GBToBig5(text), toBig5);
    }
}

// Characters the code page lacks stay; the runs between them convert as their bytes would.
TEST(Big5GBText, CharactersOutsideTheCodePageStay) {
    const test_support::Latin1Codec codec;
    EXPECT_EQ(ConvertHeldText(u"\u00A4@\uD55C\U0001F600\u00A4@\xDC00\u00A4@", Committed(), codec, true),
              u"\u00D2\u00BB\uD55C\U0001F600\u00D2\u00BB\xDC00\u00D2\u00BB");
    EXPECT_EQ(ConvertHeldText(u"\u00D2\u00BB", Committed(), codec, false), u"\u00A4@");
}

TEST(Big5GBLoading, TablesLoadTheirWholeEntriesAndNothingBeyond) {
    // A null pointer with a size is a missing table too, not something to read.
    const CodeTables none = LoadCodeTables(nullptr, kBig5GBTableBytes, nullptr, kGBBig5TableBytes);
    EXPECT_EQ(none.Big5ToGB(B({0xA4, 0x40})) + none.GBToBig5(B({0xD2, 0xBB})), B({0xA4, 0x40, 0xD2, 0xBB}));
    // Exactly sized heap buffers, so that a read past the end shows up under
    // a memory checker. Three bytes: one whole entry and half of the next.
    const std::vector<unsigned char> shortBig5 = {0xB0, 0xA1, 0xB0}, shortGB = {0xA4, 0x41, 0xA4};
    const CodeTables cut = LoadCodeTables(shortBig5.data(), 3, shortGB.data(), 3);
    EXPECT_EQ(cut.Big5ToGB(B({0xA1, 0x40, 0xA1, 0x41})), B({0xB0, 0xA1, 0xA1, 0x41}));
    EXPECT_EQ(cut.GBToBig5(B({0xA1, 0xA1, 0xA1, 0xA2})), B({0xA4, 0x41, 0xA1, 0xA2}));

    // Oversized buffers: the last entries load; pairs beyond the tables still pass through.
    const std::vector<unsigned char> big5gb(kBig5GBTableBytes + 64, 0xA1);
    const std::vector<unsigned char> gbbig5(kGBBig5TableBytes + 64, 0xA1);
    const CodeTables t = LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    EXPECT_EQ(t.Big5ToGB(B({0xFE, 0xFE, 0xFF, 0x40})), B({0xA1, 0xA1, 0xFF, 0x40}));
    EXPECT_EQ(t.GBToBig5(B({0xFE, 0xFE, 0xAA, 0xA1})), B({0xA1, 0xA1, 0xAA, 0xA1}));
}

}  // namespace
}  // namespace korvimo
