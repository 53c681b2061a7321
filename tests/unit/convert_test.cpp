// Big5 <-> GB2312 byte walk: behaviour on the committed tables and loading of
// short or missing tables.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "committed_tables.h"
#include "convert/code_tables.h"

namespace korvimo {
namespace {

using test_support::ReadResource;

const CodeTables& Committed() { return test_support::CommittedTables(); }

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

const std::string kBig5Yi = B({0xA4, 0x40});  // 一
const std::string kGBYi = B({0xD2, 0xBB});

struct WalkCase {
    const char* what;
    bool big5ToGB;
    std::string in, out;
};

// Characters, unmapped pairs and the walk's pairing of bytes, on the committed tables.
TEST(Big5GBWalk, CommittedTablesConvertCharactersAndPairBytesAsTheWalkDoes) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii.push_back(static_cast<char>(c));
    const WalkCase cases[] = {
        {"體 to 体", true, B({0xC5, 0xE9}), B({0xCC, 0xE5})},
        {"國 to 国", true, B({0xB0, 0xEA}), B({0xB9, 0xFA})},
        {"一 to 一", true, kBig5Yi, kGBYi},
        {"髮 to 发", true, B({0xBE, 0x76}), B({0xB7, 0xA2})},
        {"国 to 國", false, B({0xB9, 0xFA}), B({0xB0, 0xEA})},
        {"一 back", false, kGBYi, kBig5Yi},
        {"发 to 發", false, B({0xB7, 0xA2}), B({0xB5, 0x6F})},
        // Characters that Big5 carries themselves keep their own codes.
        {"体 stays 体", false, B({0xCC, 0xE5}), B({0xCA, 0x5E})},
        {"后 stays 后", false, B({0xBA, 0xF3}), B({0xA6, 0x5A})},
        {"面 stays 面", false, B({0xC3, 0xE6}), B({0xAD, 0xB1})},
        {"里 stays 里", false, B({0xC0, 0xEF}), B({0xA8, 0xBD})},
        {"empty Big5 row", true, B({0xC8, 0x40}), B({0xA1, 0xA1})},
        {"Big5 user-defined area", true, B({0xFE, 0xFE}), B({0xA1, 0xA1})},
        {"unmapped GB pair", false, B({0xF8, 0xA1}), B({0xA1, 0x40})},
        {"hole in GB2312 row 2", false, B({0xA2, 0xA1}), B({0xA1, 0x40})},
        {"empty to GB", true, "", ""},
        {"empty to Big5", false, "", ""},
        {"ASCII to GB", true, ascii + ascii, ascii + ascii},
        {"ASCII to Big5", false, ascii + ascii, ascii + ascii},
        {"lone last Big5 lead", true, B({0xA4}), B({0xA4})},
        {"lone last GB lead", false, B({0xD2}), B({0xD2})},
        {"Big5 lead last after a pair", true, kBig5Yi + "x" + B({0xA4}), kGBYi + "x" + B({0xA4})},
        {"GB lead last after a pair", false, kGBYi + B({0xD2}), kBig5Yi + B({0xD2})},
        // Taken as a pair, (0xB0, 0xFF) leaves 一 behind it intact; taken byte
        // by byte, 0xFF 0xA4 would pair up and 一 would be lost.
        {"pair outside the Big5 table", true, B({0xB0, 0xFF}) + kBig5Yi, B({0xB0, 0xFF}) + kGBYi},
        {"pair outside the GB table", false, B({0xB0, 0xFF}) + kGBYi, B({0xB0, 0xFF}) + kBig5Yi},
        {"Big5 lead 0xFF", true, B({0xFF, 0x40}), B({0xFF, 0x40})},
        {"GB lead 0xFF", false, B({0xFF, 0xA1}), B({0xFF, 0xA1})},
        {"0x80 is no lead", true, B({0x80}) + kBig5Yi, B({0x80}) + kGBYi},
        {"a digit is no Big5 trail", true, B({0xA4, 0x30}) + kBig5Yi, B({0xA4, 0x30}) + kGBYi},
        {"GB trails start at 0xA1", false, B({0xD2, 0x41}) + kGBYi, B({0xD2, 0x41}) + kBig5Yi},
        {"a Big5 trail below 0x80", true, "a" + kBig5Yi + "b", "a" + kGBYi + "b"},
    };
    for (const WalkCase& c : cases) {
        const CodeTables& t = Committed();
        EXPECT_EQ(c.big5ToGB ? t.Big5ToGB(c.in) : t.GBToBig5(c.in), c.out) << c.what;
    }
    // The pair is consumed whole: the 一 after it is still seen as a pair.
    for (int trail = 0x7F; trail <= 0xA0; ++trail)
        EXPECT_EQ(Committed().Big5ToGB(B({0xA4, trail}) + kBig5Yi), B({0xA4, trail}) + kGBYi) << trail;
    // GB2312 has no leads 0xAA..0xAF; they must not borrow the rows of 0xB0.. .
    for (int lead = 0xAA; lead <= 0xAF; ++lead)
        EXPECT_EQ(Committed().GBToBig5(B({lead, 0xA1})), B({lead, 0xA1})) << lead;
}

TEST(Big5GBWalk, RoundTripIsNoIdentity) {
    const CodeTables& t = Committed();
    // Two traditional characters share one simplified form; one comes back.
    EXPECT_EQ(t.GBToBig5(t.Big5ToGB(B({0xBE, 0x76}))), B({0xB5, 0x6F}));
    // A character GB2312 lacks comes back as the Big5 ideographic space.
    EXPECT_EQ(t.GBToBig5(t.Big5ToGB(B({0xC9, 0x40}))), B({0xA1, 0x40}));
}

// Straightforward walk over the resource tables as stored, to check the fast
// walk against on arbitrary bytes.
std::string ReferenceWalk(const std::string& in, bool big5ToGB, const std::string& table) {
    std::string out = in;
    std::size_t i = 0;
    while (i + 1 < in.size()) {
        const unsigned lead = static_cast<unsigned char>(in[i]);
        const unsigned trail = static_cast<unsigned char>(in[i + 1]);
        const unsigned minTrail = big5ToGB ? 0x40 : 0xA1;
        if (lead < 0xA1 || trail < minTrail) { ++i; continue; }
        long entry = -1;
        if (lead != 0xFF && trail != 0xFF) {
            if (big5ToGB) entry = (lead - 0xA1) * 191 + (trail - 0x40);
            else if (lead < 0xAA) entry = (lead - 0xA1) * 94 + (trail - 0xA1);
            else if (lead >= 0xB0) entry = (lead - 0xA7) * 94 + (trail - 0xA1);
        }
        if (entry >= 0) {
            out[i] = table[2 * entry];
            out[i + 1] = table[2 * entry + 1];
        }
        i += 2;
    }
    return out;
}

TEST(Big5GBWalk, MatchesPlainWalkOnRandomText) {
    const std::string big5gb = ReadResource("big5gb.tbl");
    const std::string gbbig5 = ReadResource("gbbig5.tbl");
    ASSERT_EQ(big5gb.size(), kBig5GBTableBytes);
    ASSERT_EQ(gbbig5.size(), kGBBig5TableBytes);
    std::mt19937 rng(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        // Long enough to span several 64-byte blocks, so that pairs straddle
        // block ends and the tails after the last whole block vary.
        const int length = static_cast<int>(rng() % (round < 1000 ? 80 : 400));
        while (static_cast<int>(text.size()) < length) {
            // Runs of ASCII, then high bytes, so that word-wise skipping meets
            // run ends at every offset.
            if (rng() % 2) text.append(rng() % 20, static_cast<char>(0x20 + rng() % 0x60));
            else for (int k = static_cast<int>(rng() % 7); k > 0; --k)
                text.push_back(static_cast<char>(rng() % 2 ? 0xA1 + rng() % 0x5F : rng() % 256));
        }
        ASSERT_EQ(Committed().Big5ToGB(text), ReferenceWalk(text, true, big5gb));
        ASSERT_EQ(Committed().GBToBig5(text), ReferenceWalk(text, false, gbbig5));
    }
}

TEST(Big5GBWalk, PairsStraddlingBlockEndsKeepTheirTrails) {
    // Runs of pair-like bytes of every length ending at every offset around
    // a 64-byte boundary: which bytes lead a pair depends on where each run
    // began, possibly in the block before.
    const std::string big5gb = ReadResource("big5gb.tbl");
    const std::string gbbig5 = ReadResource("gbbig5.tbl");
    for (int start = 0; start < 70; ++start) {
        for (int run = 1; run < 140; run += 3) {
            std::string text(start, 'a');
            for (int k = 0; k < run; ++k) text.push_back(static_cast<char>(0xB0 + k % 0x40));
            text += "tail" + std::string(70, 'z');
            const std::string toGB = ReferenceWalk(text, true, big5gb);
            const std::string toBig5 = ReferenceWalk(text, false, gbbig5);
            ASSERT_EQ(Committed().Big5ToGB(text), toGB) << start << " " << run;
            ASSERT_EQ(Committed().GBToBig5(text), toBig5) << start << " " << run;
            // The buffer calls, into another buffer or, as the program's own
            // commands do on the text box's bytes, in place.
            for (bool inPlace : {false, true}) {
                for (bool big5ToGB : {true, false}) {
                    std::string out = inPlace ? text : std::string(text.size(), '\0');
                    auto* to = reinterpret_cast<unsigned char*>(&out[0]);
                    const auto* from = inPlace ? to : reinterpret_cast<const unsigned char*>(text.data());
                    if (big5ToGB) Committed().Big5ToGB(from, text.size(), to);
                    else Committed().GBToBig5(from, text.size(), to);
                    ASSERT_EQ(out, big5ToGB ? toGB : toBig5) << start << " " << run << " " << inPlace;
                }
            }
        }
    }
}

TEST(Big5GBLoading, WithoutTablesEveryPairPassesThrough) {
    const std::string text = B({0xC5, 0xE9}) + "x" + B({0xB9, 0xFA}) + B({0xA4});
    const CodeTables none = LoadCodeTables(nullptr, 0, nullptr, 0);
    EXPECT_EQ(none.Big5ToGB(text), text);
    EXPECT_EQ(none.GBToBig5(text), text);
    // A null pointer with a size is a missing table too, not something to read.
    const CodeTables bogus = LoadCodeTables(nullptr, kBig5GBTableBytes, nullptr, kGBBig5TableBytes);
    EXPECT_EQ(bogus.Big5ToGB(text), text);
}

TEST(Big5GBLoading, ShortTablesLoadTheirWholeEntriesOnly) {
    // Exactly sized heap buffers, so that a read past the end shows up under
    // a memory checker. Three bytes: one whole entry and half of the next.
    const std::vector<unsigned char> big5gb = {0xB0, 0xA1, 0xB0};
    const std::vector<unsigned char> gbbig5 = {0xA4, 0x41, 0xA4};
    const CodeTables t = LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    EXPECT_EQ(t.Big5ToGB(B({0xA1, 0x40, 0xA1, 0x41})), B({0xB0, 0xA1, 0xA1, 0x41}));
    EXPECT_EQ(t.GBToBig5(B({0xA1, 0xA1, 0xA1, 0xA2})), B({0xA4, 0x41, 0xA1, 0xA2}));
}

TEST(Big5GBLoading, EntriesLandInTheirRowsAndColumns) {
    // Mark one entry of each table by its place and see which pair it answers.
    std::vector<unsigned char> big5gb(kBig5GBTableBytes, 0xA1);
    std::vector<unsigned char> gbbig5(kGBBig5TableBytes, 0xA1);
    const std::size_t big5Entry = (0xB2 - 0xA1) * 191 + (0x7E - 0x40);
    big5gb[2 * big5Entry] = 0xC1;
    big5gb[2 * big5Entry + 1] = 0xC2;
    const std::size_t gbEntry = (0xB0 - 0xA7) * 94 + (0xFE - 0xA1);  // first row after the gap
    gbbig5[2 * gbEntry] = 0xC3;
    gbbig5[2 * gbEntry + 1] = 0x44;
    const CodeTables t = LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    EXPECT_EQ(t.Big5ToGB(B({0xB2, 0x7E})), B({0xC1, 0xC2}));
    EXPECT_EQ(t.Big5ToGB(B({0xB2, 0x7D})), B({0xA1, 0xA1}));
    EXPECT_EQ(t.GBToBig5(B({0xB0, 0xFE})), B({0xC3, 0x44}));
    EXPECT_EQ(t.GBToBig5(B({0xA9, 0xFE})), B({0xA1, 0xA1}));
}

TEST(Big5GBLoading, OversizedBuffersAreCutAtTheTableSize) {
    std::vector<unsigned char> big5gb(kBig5GBTableBytes + 64, 0xB0);
    std::vector<unsigned char> gbbig5(kGBBig5TableBytes + 64, 0xB0);
    const CodeTables t = LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());
    // Pairs beyond the tables still pass through instead of taking the excess.
    EXPECT_EQ(t.Big5ToGB(B({0xFF, 0x40})), B({0xFF, 0x40}));
    EXPECT_EQ(t.GBToBig5(B({0xAA, 0xA1})), B({0xAA, 0xA1}));
    EXPECT_EQ(t.Big5ToGB(B({0xFE, 0xFE})), B({0xB0, 0xB0}));
}

}  // namespace
}  // namespace korvimo
