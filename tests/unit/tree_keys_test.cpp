#include <gtest/gtest.h>

#include "app/node_param.h"
#include "browser/node_keys.h"
#include "browser/node_tip.h"
#include "browser/selection.h"
#include "browser/text_view.h"
#include "memory_clip_files.h"

namespace korvimo {
namespace {

TEST(BrowserNodeKeys, RootsAndAnythingButEntriesHaveNoSlot) {
    for (NodeKey root : {ClassifyKey("M"), ClassifyKey("T"), ClassifyKey("P")})
        EXPECT_TRUE(root.kind == NodeKind::Root && root.slot == -1);
    // The last: a NUL is not a digit, whatever follows it.
    const std::string_view keys[] = {
        "m", "MM", "T ", "", "A", "Txt", "Pic", "Txt10001", "Txt4294967296", "Txt99999999999999999999",
        "Txt-1", "Txt 1", "Txt1 ", "Txt1a", "Txt01", "Pic00", "txt1", "PIC1", "Img3",
        std::string_view("Txt1\0" "2", 6)};
    for (std::string_view key : keys) {
        NodeKey k = ClassifyKey(key);
        EXPECT_EQ(k.kind, NodeKind::Unknown) << key;
        EXPECT_EQ(k.slot, -1) << key;
        EXPECT_FALSE(k.IsEntry()) << key;
    }
}

TEST(NodeParamTest, EveryKeyTheProgramMakesSurvivesTheRoundTripForeignOnesMapToNothing) {
    for (const char* key : {"M", "T", "P", "Txt0", "Txt10000", "Pic0", "Pic10000"}) {
        EXPECT_NE(KeyToParam(key), 0) << key;
        EXPECT_EQ(ParamToKey(KeyToParam(key)), key);
    }
    for (const char* foreign : {"X", "Txt-1"}) EXPECT_EQ(KeyToParam(foreign), 0) << foreign;
    for (int32_t param : {0, -4, 0x30000005, 0x10000000 | 20000}) EXPECT_EQ(ParamToKey(param), "") << param;
}

auto Row(const SelectionPlan& p) {
    return std::make_tuple(p.commands, p.touchText1, p.text1Visible, p.textSlot, p.image1, p.picSlot,
                           p.callLrud);
}

TEST(BrowserShowSelection, EachKindOfKeyGetsItsPlan) {
    using C = EntryCommands;
    using I = Image1Action;
    const SelectionPlan root{C::Disable, true, false, -1, I::Hide, -1, true};
    const struct {
        SelectedKey key;
        SelectionPlan plan;
    } cases[] = {
        {std::nullopt, SelectionPlan{}},  // no selection changes nothing
        {"M", root}, {"T", root}, {"P", root},
        // The picture shown before stays loaded underneath Text1.
        {"Txt17", {C::Enable, true, true, 17, I::Untouched, -1, true}},
        {"Pic3", {C::Enable, true, false, -1, I::ShowAtOrigin, 3, true}},
        {"Txt", root}, {"Txt10001", root}, {"X", root},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Row(PlanShowSelection(c.key)), Row(c.plan)) << c.key.value_or("(none)");
}

TEST(BrowserEntryCommands, OnlyEntriesAreDeleted) {
    for (SelectedKey key : {SelectedKey("T"), SelectedKey("Txt"), SelectedKey("Pic10001"), SelectedKey()})
        EXPECT_FALSE(PlanDelete(key).proceed) << key.value_or("(none)");
    DeletePlan text = PlanDelete("Txt5"), pic = PlanDelete("Pic5");
    EXPECT_TRUE(text.proceed && pic.proceed);
    EXPECT_EQ(std::make_pair(text.clearTextSlot, text.releasePicSlot), std::make_pair(5, -1));
    EXPECT_EQ(std::make_pair(pic.clearTextSlot, pic.releasePicSlot), std::make_pair(-1, 5));
}

TEST(BrowserTextView, ATextTheBoxCannotShowExactlyShowsReadOnlyInPartAfterANote) {
    testing::MemoryClipFiles files;
    ClipStore store(files);
    const std::u16string longest(kLargestShownText, u'x'), nul(u"a\0b", 3);
    const auto shown = [&](const std::u16string& text) { return TextToShow(store.PutText(text)).value(); };
    EXPECT_EQ(shown(longest).text, longest);
    EXPECT_FALSE(shown(longest).readOnly);
    const ShownText part = shown(longest + u"y"), nuls = shown(nul);
    EXPECT_TRUE(part.readOnly && nuls.readOnly);
    EXPECT_EQ(part.text, u"［此条目共 131073 个字符，这里只显示前 131072 个，因此只读；保存、内码转换和复制使用全文。］\r\n" + longest);
    EXPECT_EQ(nuls.text.substr(nuls.text.find(u"\r\n")), u"\r\na␀b");
}

TEST(BrowserNodeTip, TheFirstLineThatSaysSomethingCutShortOrThePictureSize) {
    const std::u16string line79(79, u'长');
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\r\n \u3000\n  first\tline \r\nsecond", u"first line"}, {line79 + u"ab", line79 + u"a…"},
        {line79 + u"\U0001F600", line79 + u"…"}, {line79 + u"a", line79 + u"a"}, {u" \r\n\t", u""}};
    for (const auto& [text, tip] : cases) EXPECT_EQ(TextTip(text), tip);
    EXPECT_EQ(PictureTip(1200, 900), u"1200 × 900 像素");
}

}  // namespace
}  // namespace korvimo
