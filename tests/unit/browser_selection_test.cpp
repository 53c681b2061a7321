#include "browser/selection.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// Everything a plan decides, compared as one row.
auto Row(const SelectionPlan& p) {
    return std::make_tuple(p.commands, p.touchText1, p.text1Visible, p.textSlot, p.image1, p.picSlot, p.callLrud);
}

TEST(BrowserShowSelection, EachKindOfKeyGetsItsPlan) {
    using C = EntryCommands;
    using I = Image1Action;
    struct Case {
        SelectedKey key;
        SelectionPlan plan;
    };
    const SelectionPlan root{C::Disable, true, false, -1, I::Hide, -1, true};
    const Case cases[] = {
        {std::nullopt, SelectionPlan{}},  // no selection changes nothing
        {"M", root}, {"T", root}, {"P", root},
        // The picture shown before stays loaded underneath Text1.
        {"Txt17", {C::Enable, true, true, 17, I::Untouched, -1, true}},
        {"Pic3", {C::Enable, true, false, -1, I::ShowAtOrigin, 3, true}},
        // A malformed key shows nothing and leaves nothing to act on, as a root.
        {"Txt", root}, {"Txt10001", root}, {"TxtA", root}, {"Pic-1", root}, {"X", root}, {"", root},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Row(PlanShowSelection(c.key)), Row(c.plan)) << c.key.value_or("(none)");
}

TEST(BrowserDelete, OnlyEntriesAreDeletedTextsEmptiedPicturesReleased) {
    for (SelectedKey key : {SelectedKey("M"), SelectedKey("T"), SelectedKey("P"), SelectedKey("Txt"),
                            SelectedKey("Pic10001"), SelectedKey("Q"), SelectedKey()})
        EXPECT_FALSE(PlanDelete(key).proceed) << key.value_or("(none)");
    DeletePlan text = PlanDelete("Txt5"), pic = PlanDelete("Pic5");
    EXPECT_TRUE(text.proceed && pic.proceed);
    EXPECT_EQ(std::make_pair(text.clearTextSlot, text.releasePicSlot), std::make_pair(5, -1));
    EXPECT_EQ(std::make_pair(pic.clearTextSlot, pic.releasePicSlot), std::make_pair(-1, 5));
}

TEST(BrowserTreeClick, OnlyAClickOnTheSelectedNodeShowsItAgain) {
    EXPECT_TRUE(ClickReshowsSelection(TreeClickTarget::SelectedNode));
    // Another node is shown by the selection notice: once, not twice.
    EXPECT_FALSE(ClickReshowsSelection(TreeClickTarget::OtherNode));
    // Empty space or an expand button keeps the scrolled text or panned picture.
    EXPECT_FALSE(ClickReshowsSelection(TreeClickTarget::NoNode));
}

TEST(BrowserWriteBack, OnlyTextEntriesReceiveTheText) {
    EXPECT_EQ(TextWriteBackSlot("Txt0"), std::optional<int32_t>(0));
    EXPECT_EQ(TextWriteBackSlot("Txt10000"), std::optional<int32_t>(10000));
    for (SelectedKey key : {SelectedKey("M"), SelectedKey("T"), SelectedKey("P"), SelectedKey("Pic0"),
                            SelectedKey("Txt10001"), SelectedKey("Txt1x"), SelectedKey()})
        EXPECT_FALSE(TextWriteBackSlot(key).has_value()) << key.value_or("(none)");
}

}  // namespace
}  // namespace korvimo
