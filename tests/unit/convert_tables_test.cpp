// The committed code tables: their sizes and fixed rows, and their contents
// against glibc's own Big5 and GB2312 converters.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <set>
#include <string>

#include "committed_tables.h"
#include "convert/code_tables.h"

namespace korvimo {
namespace {

using test_support::ReadResource;

struct Pair {
    unsigned lead, trail;
    bool operator==(const Pair& o) const { return lead == o.lead && trail == o.trail; }
};

std::ostream& operator<<(std::ostream& os, const Pair& p) {
    return os << std::hex << "0x" << p.lead << " 0x" << p.trail << std::dec;
}

class Big5GBTableFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        big5gb_ = new std::string(ReadResource("big5gb.tbl"));
        gbbig5_ = new std::string(ReadResource("gbbig5.tbl"));
    }
    static void TearDownTestSuite() {
        delete big5gb_;
        delete gbbig5_;
    }
    static Pair At(const std::string& table, std::size_t entry) {
        return {static_cast<unsigned char>(table[2 * entry]),
                static_cast<unsigned char>(table[2 * entry + 1])};
    }
    static Pair Big5GB(unsigned lead, unsigned trail) {
        return At(*big5gb_, (lead - 0xA1) * 191 + (trail - 0x40));
    }
    static Pair GBBig5(unsigned lead, unsigned trail) {
        const unsigned row = lead < 0xB0 ? lead - 0xA1 : lead - 0xA7;
        return At(*gbbig5_, row * 94 + (trail - 0xA1));
    }
    static bool IsBig5Trail(unsigned t) { return (t >= 0x40 && t <= 0x7E) || (t >= 0xA1 && t <= 0xFE); }
    static std::string* big5gb_;
    static std::string* gbbig5_;
};
std::string* Big5GBTableFiles::big5gb_ = nullptr;
std::string* Big5GBTableFiles::gbbig5_ = nullptr;

const Pair kGBSpace{0xA1, 0xA1};
const Pair kBig5Space{0xA1, 0x40};

TEST_F(Big5GBTableFiles, HoldNoZeroEntry) {
    ASSERT_EQ(big5gb_->size(), kBig5GBTableBytes);
    ASSERT_EQ(gbbig5_->size(), kGBBig5TableBytes);
    for (std::size_t e = 0; e < kBig5GBTableBytes / 2; ++e)
        EXPECT_FALSE(At(*big5gb_, e) == (Pair{0, 0})) << "big5gb entry " << e;
    for (std::size_t e = 0; e < kGBBig5TableBytes / 2; ++e)
        EXPECT_FALSE(At(*gbbig5_, e) == (Pair{0, 0})) << "gbbig5 entry " << e;
}

TEST_F(Big5GBTableFiles, Big5ColumnsOutsideTheTrailRangeHoldTheSourcePair) {
    ASSERT_EQ(big5gb_->size(), kBig5GBTableBytes);
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x7F; trail <= 0xA0; ++trail)
            EXPECT_EQ(Big5GB(lead, trail), (Pair{lead, trail}));
}

TEST_F(Big5GBTableFiles, Big5RowsWithoutMappingsHoldTheGBSpace) {
    ASSERT_EQ(big5gb_->size(), kBig5GBTableBytes);
    for (unsigned lead : {0xC8u, 0xFAu, 0xFBu, 0xFCu, 0xFDu, 0xFEu})
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
            if (IsBig5Trail(trail)) {
                EXPECT_EQ(Big5GB(lead, trail), kGBSpace) << Pair{lead, trail};
            }
}

TEST_F(Big5GBTableFiles, GBRowsWithoutMappingsHoldTheBig5Space) {
    ASSERT_EQ(gbbig5_->size(), kGBBig5TableBytes);
    // 0xFE is left empty on purpose: GB2312 defines nothing there.
    for (unsigned lead : {0xF8u, 0xF9u, 0xFEu})
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
            EXPECT_EQ(GBBig5(lead, trail), kBig5Space) << Pair{lead, trail};
}

TEST_F(Big5GBTableFiles, GBUserDefinedRowsRunThroughTheBig5UserDefinedCodes) {
    ASSERT_EQ(gbbig5_->size(), kGBBig5TableBytes);
    Pair next{0xFA, 0x40};
    int count = 0;
    for (unsigned lead = 0xFA; lead <= 0xFD; ++lead) {
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail, ++count) {
            ASSERT_EQ(GBBig5(lead, trail), next) << Pair{lead, trail};
            if (next.trail == 0x7E) next.trail = 0xA1;
            else if (next.trail == 0xFE) next = {next.lead + 1, 0x40};
            else ++next.trail;
        }
    }
    EXPECT_EQ(count, 376);
    EXPECT_EQ(GBBig5(0xFD, 0xFE), (Pair{0xFC, 0x7D}));
}

// Decodes one two-byte code with glibc iconv into UTF-32; 0 when the set has
// no such code.
class Decoder {
public:
    explicit Decoder(const char* charset) : cd_(iconv_open("UTF-32LE", charset)) {}
    ~Decoder() {
        if (Ok()) iconv_close(cd_);
    }
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    char32_t Decode(Pair p) {
        char in[2] = {static_cast<char>(p.lead), static_cast<char>(p.trail)};
        unsigned char out[8];
        char* inp = in;
        char* outp = reinterpret_cast<char*>(out);
        size_t inLeft = 2, outLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
            outLeft != 4)
            return 0;
        return out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
    }

private:
    iconv_t cd_;
};

TEST_F(Big5GBTableFiles, EveryBig5EntryIsAGB2312Code) {
    ASSERT_EQ(big5gb_->size(), kBig5GBTableBytes);
    Decoder gb("GB2312");
    ASSERT_TRUE(gb.Ok());
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
            if (IsBig5Trail(trail)) {
                EXPECT_NE(gb.Decode(Big5GB(lead, trail)), 0u) << Pair{lead, trail};
            }
}

TEST_F(Big5GBTableFiles, EveryGBEntryOutsideTheUserAreaIsABig5Code) {
    ASSERT_EQ(gbbig5_->size(), kGBBig5TableBytes);
    Decoder big5("BIG5");
    ASSERT_TRUE(big5.Ok());
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
        if ((lead >= 0xAA && lead <= 0xAF) || (lead >= 0xFA && lead <= 0xFD)) continue;
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
            EXPECT_NE(big5.Decode(GBBig5(lead, trail)), 0u) << Pair{lead, trail};
    }
}

// Every character that both sets carry must map onto itself, whichever code
// glibc gives it: about 5,000 characters, the common ones among them.
TEST_F(Big5GBTableFiles, SharedCharactersMapToThemselvesAsIconvSeesThem) {
    ASSERT_EQ(big5gb_->size(), kBig5GBTableBytes);
    ASSERT_EQ(gbbig5_->size(), kGBBig5TableBytes);
    Decoder big5("BIG5"), gb("GB2312");
    ASSERT_TRUE(big5.Ok() && gb.Ok());
    std::set<char32_t> inBig5;
    for (unsigned lead = 0xA1; lead <= 0xF9; ++lead) {
        if (lead == 0xC8) continue;
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
            if (IsBig5Trail(trail)) inBig5.insert(big5.Decode({lead, trail}));
    }
    inBig5.erase(0);
    int shared = 0;
    for (unsigned lead = 0xA1; lead <= 0xF7; ++lead) {
        if (lead >= 0xAA && lead <= 0xAF) continue;
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            const char32_t c = gb.Decode({lead, trail});
            if (c == 0) continue;
            const Pair big5Code = GBBig5(lead, trail);
            const char32_t back = big5.Decode(big5Code);
            // Same character in Big5: the entry must be that character, and
            // the Big5 table must bring it back to this very GB code.
            if (inBig5.count(c) == 0) continue;
            ++shared;
            EXPECT_EQ(back, c) << Pair{lead, trail};
            EXPECT_EQ(Big5GB(big5Code.lead, big5Code.trail), (Pair{lead, trail})) << Pair{lead, trail};
        }
    }
    EXPECT_GT(shared, 4000);
}

// Converts a UTF-8 text to `charset` bytes with glibc iconv.
std::string Encode(const char* charset, const std::string& utf8) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string in = utf8, out(utf8.size() * 2 + 8, '\0');
    char* inp = &in[0];
    char* outp = &out[0];
    size_t inLeft = in.size(), outLeft = out.size();
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return {};
    out.resize(out.size() - outLeft);
    return out;
}

TEST(Big5GBSentences, ConvertLikeTheirIconvEncodings) {
    const CodeTables& t = test_support::CommittedTables();
    struct Case {
        const char* traditional;
        const char* simplified;
    } cases[] = {
        {"中華人民共和國國務院", "中华人民共和国国务院"},
        // GB2312 carries 於 itself, so it is kept rather than turned into 于.
        {"這是一個關於電腦軟體的說明書，請仔細閱讀。", "这是一个关於电脑软体的说明书，请仔细阅读。"},
        {"學習語言需要時間與耐心", "学习语言需要时间与耐心"},
        {"歡迎來到臺灣與香港", "欢迎来到台湾与香港"},
        {"開關門窗、買賣東西、飛機場", "开关门窗、买卖东西、飞机场"},
        {"經濟發展對環境會產生影響", "经济发展对环境会产生影响"},
        {"剪貼簿歷史記錄 version 2.20", "剪贴簿历史记录 version 2.20"},
        // Counterparts found only through semantic variants, two variant links,
        // the compatibility form or the reviewed pairs.
        {"週末佔線﹔籤證託人，淨遊戲昇級，牠與妳彷彿唸過", "周末占线；签证托人，净游戏升级，它与你彷佛念过"},
    };
    for (const Case& c : cases) {
        const std::string big5 = Encode("BIG5", c.traditional);
        const std::string gb = Encode("GB2312", c.simplified);
        ASSERT_FALSE(big5.empty()) << c.traditional;
        ASSERT_FALSE(gb.empty()) << c.simplified;
        EXPECT_EQ(t.Big5ToGB(big5), gb) << c.traditional;
    }
    // Towards Big5 the characters Big5 has themselves stay: 后, 面, 里, 体, 台.
    EXPECT_EQ(t.GBToBig5(Encode("GB2312", "国家发展，皇后面前，这里体会")),
              Encode("BIG5", "國家發展，皇后面前，這里体會"));
    EXPECT_EQ(t.GBToBig5(Encode("GB2312", "碱卧亘麽")), Encode("BIG5", "鹼臥亙麼"));
}

}  // namespace
}  // namespace korvimo
