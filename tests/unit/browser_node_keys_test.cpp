#include "browser/node_keys.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(BrowserNodeKeys, RootsAreExactOneLetterKeys) {
    for (const char* key : {"M", "T", "P"}) {
        EXPECT_EQ(ClassifyKey(key).kind, NodeKind::Root) << key;
        EXPECT_EQ(ClassifyKey(key).slot, -1) << key;
    }
    for (const char* key : {"m", "t", "p", "MM", "T ", " P", "", "Txt", "A"}) {
        EXPECT_NE(ClassifyKey(key).kind, NodeKind::Root) << key;
    }
}

TEST(BrowserNodeKeys, EntryKindAndSlot) {
    NodeKey text = ClassifyKey("Txt17");
    EXPECT_EQ(text.kind, NodeKind::TextEntry);
    EXPECT_EQ(text.slot, 17);
    EXPECT_TRUE(text.IsEntry());

    NodeKey pic = ClassifyKey("Pic0");
    EXPECT_EQ(pic.kind, NodeKind::PicEntry);
    EXPECT_EQ(pic.slot, 0);

    EXPECT_EQ(ClassifyKey("Txt10000").slot, 10000);
    EXPECT_EQ(ClassifyKey("Pic9999").slot, 9999);
}

TEST(BrowserNodeKeys, MalformedKeysAreNoEntries) {
    for (const char* key : {"Txt", "Pic", "Txt10001", "Txt99999", "Txt4294967296",
                            "Txt99999999999999999999", "Txt-1", "Txt+1", "Txt 1", "Txt1 ",
                            "Txt1a", "Txtx", "Txt01", "Pic00", "txt1", "PIC1", "Tx1", "Pi",
                            "Img3"}) {
        NodeKey k = ClassifyKey(key);
        EXPECT_EQ(k.kind, NodeKind::Unknown) << key;
        EXPECT_EQ(k.slot, -1) << key;
        EXPECT_FALSE(k.IsEntry()) << key;
    }
    // A NUL inside the key is not a digit, whatever follows it.
    EXPECT_EQ(ClassifyKey(std::string_view("Txt1\0" "2", 6)).kind, NodeKind::Unknown);
}

TEST(BrowserNodeKeys, MadeKeysRoundTrip) {
    EXPECT_EQ(MakeTextKey(0), "Txt0");
    EXPECT_EQ(MakePicKey(11), "Pic11");
    for (int32_t slot : {0, 1, 9, 10, 99, 100, 10000}) {
        EXPECT_EQ(ClassifyKey(MakeTextKey(slot)).slot, slot);
        EXPECT_EQ(ClassifyKey(MakeTextKey(slot)).kind, NodeKind::TextEntry);
        EXPECT_EQ(ClassifyKey(MakePicKey(slot)).kind, NodeKind::PicEntry);
    }
}

}  // namespace
}  // namespace korvimo
