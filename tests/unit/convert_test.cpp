// Big5 <-> GB2312: the committed tables on sentences, as glibc's own
// converters encode them; the pairing rule of the byte walk, the block walk
// against a walk a pair at a time, and loading of odd tables.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "committed_tables.h"
#include "convert/code_tables.h"

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

// `bytes` converted by glibc; empty when it knows no such characters.
std::string Iconv(const char* to, const char* from, std::string bytes) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 4 + 8, '\0');
    char* in = &bytes[0];
    char* at = &out[0];
    std::size_t inLeft = bytes.size(), outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(ok && inLeft == 0 ? out.size() - outLeft : 0);
    return out;
}

TEST(Big5GBTables, SentencesConvertLikeTheirIconvEncodings) {
    const struct {
        const char* traditional;
        const char* simplified;
    } cases[] = {
        {"中華人民共和國國務院", "中华人民共和国国务院"},
        // GB2312 carries 於 itself, so it is kept rather than turned into 于.
        {"這是一個關於電腦軟體的說明書，請仔細閱讀。", "这是一个关於电脑软体的说明书，请仔细阅读。"},
        {"歡迎來到臺灣與香港，開關門窗、買賣東西", "欢迎来到台湾与香港，开关门窗、买卖东西"},
        {"剪貼簿歷史記錄 version 2.20", "剪贴簿历史记录 version 2.20"},
        // Counterparts found only through semantic variants, two variant links,
        // the compatibility form or the reviewed pairs.
        {"週末佔線﹔籤證託人，淨遊戲昇級，牠與妳彷彿唸過", "周末占线；签证托人，净游戏升级，它与你彷佛念过"},
    };
    for (const auto& c : cases) {
        const std::string big5 = Iconv("BIG5", "UTF-8", c.traditional);
        ASSERT_NE(big5, "") << c.traditional;
        EXPECT_EQ(Committed().Big5ToGB(big5), Iconv("GB2312", "UTF-8", c.simplified)) << c.traditional;
    }
    // Towards Big5 the characters Big5 has themselves stay: 后, 面, 里, 体, 台.
    EXPECT_EQ(Committed().GBToBig5(Iconv("GB2312", "UTF-8", "国家发展，皇后面前，这里体会，碱卧亘麽")),
              Iconv("BIG5", "UTF-8", "國家發展，皇后面前，這里体會，鹼臥亙麼"));
}

const std::string kBig5Yi = B({0xA4, 0x40});  // 一
const std::string kGBYi = B({0xD2, 0xBB});

TEST(Big5GBWalk, CommittedTablesConvertCharactersAndPairBytesAsTheWalkDoes) {
    const struct {
        const char* what;
        bool big5ToGB;
        std::string in, out;
    } cases[] = {
        {"體 to 体", true, B({0xC5, 0xE9}), B({0xCC, 0xE5})},
        {"国 to 國", false, B({0xB9, 0xFA}), B({0xB0, 0xEA})},
        // Characters that Big5 carries themselves keep their own codes.
        {"体 stays 体", false, B({0xCC, 0xE5}), B({0xCA, 0x5E})},
        {"empty Big5 row", true, B({0xC8, 0x40}), B({0xA1, 0xA1})},
        {"unmapped GB pair", false, B({0xF8, 0xA1}), B({0xA1, 0x40})},
        {"empty", true, "", ""},
        {"lone last Big5 lead", true, kBig5Yi + "x" + B({0xA4}), kGBYi + "x" + B({0xA4})},
        // Taken as a pair, (0xB0, 0xFF) leaves 一 behind it intact; taken byte
        // by byte, 0xFF 0xA4 would pair up and 一 would be lost.
        {"pair outside the Big5 table", true, B({0xB0, 0xFF}) + kBig5Yi, B({0xB0, 0xFF}) + kGBYi},
        {"pair outside the GB table", false, B({0xB0, 0xFF}) + kGBYi, B({0xB0, 0xFF}) + kBig5Yi},
        {"Big5 lead 0xFF", true, B({0xFF, 0x40}), B({0xFF, 0x40})},
        {"no lead below 0xA1", true, B({0x80, 0xA0}) + kBig5Yi, B({0x80, 0xA0}) + kGBYi},
        {"no Big5 trail below 0x40", true, B({0xA4, 0x3F}) + kBig5Yi, B({0xA4, 0x3F}) + kGBYi},
        {"no GB trail below 0xA1", false, B({0xD2, 0xA0}) + kGBYi, B({0xD2, 0xA0}) + kBig5Yi},
        // Between the two Big5 trail ranges the pair is consumed whole and kept.
        {"Big5 trails 0x7F, 0xA0", true, B({0xA4, 0x7F, 0xA4, 0xA0}) + kBig5Yi,
         B({0xA4, 0x7F, 0xA4, 0xA0}) + kGBYi},
        // GB2312 has no leads 0xAA..0xAF; they must not borrow the rows of 0xB0.. .
        {"GB leads 0xAA, 0xAF", false, B({0xAA, 0xA1, 0xAF, 0xFE}), B({0xAA, 0xA1, 0xAF, 0xFE})},
    };
    for (const auto& c : cases) EXPECT_EQ(Convert(c.big5ToGB, c.in), c.out) << c.what;
}

// The rule a pair at a time: two bytes are too short for the block walk.
std::string PairByPair(bool big5ToGB, const std::string& in) {
    const unsigned minTrail = big5ToGB ? 0x40 : 0xA1;
    std::string out = in;
    for (std::size_t i = 0; i + 1 < in.size();) {
        if (static_cast<unsigned char>(in[i]) < 0xA1 ||
            static_cast<unsigned char>(in[i + 1]) < minTrail) {
            ++i;
            continue;
        }
        out.replace(i, 2, Convert(big5ToGB, in.substr(i, 2)));
        i += 2;
    }
    return out;
}

// Runs of pair-like bytes of many lengths ending at every offset around a
// 64-byte block end (which bytes lead a pair depends on where each run
// began, possibly in the block before), then random texts of ASCII runs and
// high bytes, long enough that pairs straddle block ends at every offset.
std::vector<std::string> BlockTexts() {
    std::vector<std::string> texts;
    for (int start = 0; start < 70; ++start) {
        for (int run = 1; run < 140; run += 3) {
            std::string text(start, 'a');
            for (int k = 0; k < run; ++k) text.push_back(static_cast<char>(0xB0 + k % 0x40));
            texts.push_back(text + "tail" + std::string(70, 'z'));
        }
    }
    std::mt19937 rng(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const std::size_t length = rng() % (round < 1000 ? 80 : 400);
        while (text.size() < length) {
            if (rng() % 2) text.append(rng() % 20, static_cast<char>(0x20 + rng() % 0x60));
            else for (int k = static_cast<int>(rng() % 7); k > 0; --k)
                text.push_back(static_cast<char>(rng() % 2 ? 0xA1 + rng() % 0x5F : rng() % 256));
        }
        texts.push_back(text);
    }
    return texts;
}

// The string calls, and the buffer calls into another buffer or, as the
// program's own commands do on the text box's bytes, in place.
TEST(Big5GBWalk, EveryCallFindsThePairsOfThePairByPairWalk) {
    for (const std::string& text : BlockTexts()) {
        for (bool big5ToGB : {true, false}) {
            const std::string expected = PairByPair(big5ToGB, text);
            ASSERT_EQ(Convert(big5ToGB, text), expected) << big5ToGB;
            for (bool inPlace : {false, true}) {
                std::string out = inPlace ? text : std::string(text.size(), '\0');
                auto* to = reinterpret_cast<unsigned char*>(&out[0]);
                const auto* from = inPlace ? to : reinterpret_cast<const unsigned char*>(text.data());
                if (big5ToGB) Committed().Big5ToGB(from, text.size(), to);
                else Committed().GBToBig5(from, text.size(), to);
                ASSERT_EQ(out, expected) << big5ToGB << inPlace;
            }
        }
    }
}

TEST(Big5GBLoading, MissingAndShortTablesLoadTheirWholeEntriesOnly) {
    // A null pointer with a size is a missing table too, not something to read.
    for (std::size_t size : {std::size_t{0}, kBig5GBTableBytes}) {
        const CodeTables none = LoadCodeTables(nullptr, size, nullptr, size);
        EXPECT_EQ(none.Big5ToGB(kBig5Yi + kGBYi), kBig5Yi + kGBYi);
        EXPECT_EQ(none.GBToBig5(kBig5Yi + kGBYi), kBig5Yi + kGBYi);
    }
    // Exactly sized heap buffers, so that a read past the end shows up under
    // a memory checker. Three bytes: one whole entry and half of the next.
    const std::vector<unsigned char> big5gb = {0xB0, 0xA1, 0xB0}, gbbig5 = {0xA4, 0x41, 0xA4};
    const CodeTables t = LoadCodeTables(big5gb.data(), 3, gbbig5.data(), 3);
    EXPECT_EQ(t.Big5ToGB(B({0xA1, 0x40, 0xA1, 0x41})), B({0xB0, 0xA1, 0xA1, 0x41}));
    EXPECT_EQ(t.GBToBig5(B({0xA1, 0xA1, 0xA1, 0xA2})), B({0xA4, 0x41, 0xA1, 0xA2}));
}

TEST(Big5GBLoading, EntriesLandInTheirRowsAndColumnsAndExcessIsIgnored) {
    // Oversized buffers with one entry of each marked: which pair answers it.
    std::vector<unsigned char> big5gb(kBig5GBTableBytes + 64, 0xA1);
    std::vector<unsigned char> gbbig5(kGBBig5TableBytes + 64, 0xA1);
    const std::size_t big5Entry = (0xB2 - 0xA1) * 191 + (0x7E - 0x40);
    big5gb[2 * big5Entry] = 0xC1;
    big5gb[2 * big5Entry + 1] = 0xC2;
    const std::size_t gbEntry = (0xB0 - 0xA7) * 94 + (0xFE - 0xA1);  // first row after the gap
    gbbig5[2 * gbEntry] = 0xC3;
    gbbig5[2 * gbEntry + 1] = 0x44;
    const CodeTables t = LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    EXPECT_EQ(t.Big5ToGB(B({0xB2, 0x7E, 0xB2, 0x7D, 0xFE, 0xFE})),
              B({0xC1, 0xC2, 0xA1, 0xA1, 0xA1, 0xA1}));
    EXPECT_EQ(t.GBToBig5(B({0xB0, 0xFE, 0xA9, 0xFE, 0xFE, 0xFE})),
              B({0xC3, 0x44, 0xA1, 0xA1, 0xA1, 0xA1}));
    // Pairs beyond the tables still pass through instead of taking the excess.
    EXPECT_EQ(t.Big5ToGB(B({0xFF, 0x40})), B({0xFF, 0x40}));
    EXPECT_EQ(t.GBToBig5(B({0xAA, 0xA1})), B({0xAA, 0xA1}));
}

}  // namespace
}  // namespace korvimo
