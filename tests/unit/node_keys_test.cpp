#include <gtest/gtest.h>

#include "app/node_param.h"
#include "browser/node_keys.h"

namespace korvimo {
namespace {

TEST(BrowserNodeKeys, RootsAndCanonicalEntryKeysClassify) {
    const struct {
        std::string_view key;
        NodeKind kind;
        int32_t slot;
    } cases[] = {
        {"M", NodeKind::Root, -1},          {"T", NodeKind::Root, -1},
        {"P", NodeKind::Root, -1},          {"Txt17", NodeKind::TextEntry, 17},
        {"Pic0", NodeKind::PicEntry, 0},    {"Txt10000", NodeKind::TextEntry, 10000},
    };
    for (const auto& c : cases) {
        NodeKey k = ClassifyKey(c.key);
        EXPECT_EQ(k.kind, c.kind) << c.key;
        EXPECT_EQ(k.slot, c.slot) << c.key;
        EXPECT_EQ(k.IsEntry(), c.slot >= 0) << c.key;
    }
}

TEST(BrowserNodeKeys, AnythingElseIsUnknownWithNoSlot) {
    // The last: a NUL is not a digit, whatever follows it.
    const std::string_view keys[] = {
        "m", "MM", "T ", "", "A", "Txt", "Pic", "Txt10001", "Txt99999", "Txt4294967296",
        "Txt99999999999999999999", "Txt-1", "Txt+1", "Txt 1", "Txt1 ", "Txt1a", "Txt01", "Pic00", "txt1",
        "PIC1", "Tx1", "Pi", "Img3", std::string_view("Txt1\0" "2", 6)};
    for (std::string_view key : keys) {
        NodeKey k = ClassifyKey(key);
        EXPECT_EQ(k.kind, NodeKind::Unknown) << key;
        EXPECT_EQ(k.slot, -1) << key;
        EXPECT_FALSE(k.IsEntry()) << key;
    }
}

TEST(BrowserNodeKeys, MadeKeysRoundTrip) {
    EXPECT_EQ(MakeTextKey(0), "Txt0");
    EXPECT_EQ(MakePicKey(11), "Pic11");
    for (int32_t slot : {0, 9, 10, 100, 10000}) {
        EXPECT_EQ(ClassifyKey(MakeTextKey(slot)).slot, slot);
        EXPECT_EQ(ClassifyKey(MakePicKey(slot)).kind, NodeKind::PicEntry);
    }
}

// A tree item carries its node's key in its parameter.
TEST(NodeParamTest, EveryKeyTheProgramMakesSurvivesTheRoundTripForeignOnesMapToNothing) {
    for (const char* key : {"M", "T", "P", "Txt0", "Txt10000", "Pic0", "Pic10000"}) {
        EXPECT_NE(KeyToParam(key), 0) << key;
        EXPECT_EQ(ParamToKey(KeyToParam(key)), key);
    }
    EXPECT_EQ(KeyToParam("X"), 0);
    EXPECT_EQ(KeyToParam("Txt-1"), 0);
    for (int32_t param : {0, -4, 0x30000005, 0x10000000 | 20000}) EXPECT_EQ(ParamToKey(param), "") << param;
}

}  // namespace
}  // namespace korvimo
