#include "browser/selection.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

// Everything a plan decides, compared as one row.
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
        // A malformed key shows nothing and leaves nothing to act on, as a root.
        {"Txt", root}, {"Txt10001", root}, {"X", root},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Row(PlanShowSelection(c.key)), Row(c.plan)) << c.key.value_or("(none)");
}

TEST(BrowserEntryCommands, OnlyEntriesAreDeletedAndOnlyTextEntriesReceiveText1) {
    for (SelectedKey key : {SelectedKey("T"), SelectedKey("Txt"), SelectedKey("Pic10001"), SelectedKey()}) {
        EXPECT_FALSE(PlanDelete(key).proceed) << key.value_or("(none)");
        EXPECT_FALSE(TextWriteBackSlot(key)) << key.value_or("(none)");
    }
    // A deleted text is emptied; a deleted picture's storage is released.
    DeletePlan text = PlanDelete("Txt5"), pic = PlanDelete("Pic5");
    EXPECT_TRUE(text.proceed && pic.proceed);
    EXPECT_EQ(std::make_pair(text.clearTextSlot, text.releasePicSlot), std::make_pair(5, -1));
    EXPECT_EQ(std::make_pair(pic.clearTextSlot, pic.releasePicSlot), std::make_pair(-1, 5));
    EXPECT_EQ(TextWriteBackSlot("Txt10000"), std::optional<int32_t>(10000));
    EXPECT_FALSE(TextWriteBackSlot("Pic0"));
}

TEST(BrowserTreeClick, OnlyAClickOnTheSelectedNodeShowsItAgain) {
    EXPECT_TRUE(ClickReshowsSelection(TreeClickTarget::SelectedNode));
    // Another node is shown by the selection notice that follows; empty space
    // or an expand button keeps the scrolled text or panned picture.
    EXPECT_FALSE(ClickReshowsSelection(TreeClickTarget::OtherNode));
    EXPECT_FALSE(ClickReshowsSelection(TreeClickTarget::NoNode));
}

}  // namespace
}  // namespace korvimo
