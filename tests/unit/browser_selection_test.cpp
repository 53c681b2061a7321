#include "browser/selection.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(BrowserShowSelection, NoSelectionChangesNothing) {
    SelectionPlan plan = PlanShowSelection(std::nullopt);
    EXPECT_EQ(plan.commands, EntryCommands::Untouched);
    EXPECT_FALSE(plan.touchText1);
    EXPECT_EQ(plan.image1, Image1Action::Untouched);
    EXPECT_FALSE(plan.callLrud);
}

TEST(BrowserShowSelection, RootsHideBothAndDisableCommands) {
    for (const char* key : {"M", "T", "P"}) {
        SelectionPlan plan = PlanShowSelection(key);
        EXPECT_EQ(plan.commands, EntryCommands::Disable) << key;
        EXPECT_TRUE(plan.touchText1) << key;
        EXPECT_FALSE(plan.text1Visible) << key;
        EXPECT_EQ(plan.image1, Image1Action::Hide) << key;
        EXPECT_EQ(plan.textSlot, -1) << key;
        EXPECT_EQ(plan.picSlot, -1) << key;
        EXPECT_TRUE(plan.callLrud) << key;
    }
}

TEST(BrowserShowSelection, TextEntryShowsTextOverUntouchedPicture) {
    SelectionPlan plan = PlanShowSelection("Txt17");
    EXPECT_EQ(plan.commands, EntryCommands::Enable);
    EXPECT_TRUE(plan.touchText1);
    EXPECT_TRUE(plan.text1Visible);
    EXPECT_EQ(plan.textSlot, 17);
    // The picture shown before stays loaded underneath Text1.
    EXPECT_EQ(plan.image1, Image1Action::Untouched);
    EXPECT_TRUE(plan.callLrud);
}

TEST(BrowserShowSelection, PictureEntryStartsAtTopLeft) {
    SelectionPlan plan = PlanShowSelection("Pic3");
    EXPECT_EQ(plan.commands, EntryCommands::Enable);
    EXPECT_TRUE(plan.touchText1);
    EXPECT_FALSE(plan.text1Visible);
    EXPECT_EQ(plan.image1, Image1Action::ShowAtOrigin);
    EXPECT_EQ(plan.picSlot, 3);
    EXPECT_EQ(plan.textSlot, -1);
    EXPECT_TRUE(plan.callLrud);
}

TEST(BrowserShowSelection, MalformedKeyShowsNothingAndDisablesCommands) {
    for (const char* key : {"Txt", "Txt10001", "TxtA", "Pic-1", "X", ""}) {
        SelectionPlan plan = PlanShowSelection(key);
        EXPECT_EQ(plan.commands, EntryCommands::Disable) << key;
        EXPECT_FALSE(plan.text1Visible) << key;
        EXPECT_EQ(plan.image1, Image1Action::Hide) << key;
        EXPECT_EQ(plan.textSlot, -1) << key;
        EXPECT_EQ(plan.picSlot, -1) << key;
    }
}

TEST(BrowserDelete, RootsUnknownKeysAndNoSelectionStop) {
    for (const char* key : {"M", "T", "P", "Txt", "Pic10001", "Q"})
        EXPECT_FALSE(PlanDelete(key).proceed) << key;
    EXPECT_FALSE(PlanDelete(std::nullopt).proceed);
}

TEST(BrowserDelete, TextEntryEmptiesItsSlotPictureReleasesItsPicture) {
    DeletePlan text = PlanDelete("Txt5");
    EXPECT_TRUE(text.proceed);
    EXPECT_EQ(text.clearTextSlot, 5);
    EXPECT_EQ(text.releasePicSlot, -1);

    DeletePlan pic = PlanDelete("Pic5");
    EXPECT_TRUE(pic.proceed);
    EXPECT_EQ(pic.clearTextSlot, -1);
    EXPECT_EQ(pic.releasePicSlot, 5);
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
    for (const char* key : {"M", "T", "P", "Pic0", "Txt10001", "Txt1x"})
        EXPECT_FALSE(TextWriteBackSlot(key).has_value()) << key;
    EXPECT_FALSE(TextWriteBackSlot(std::nullopt).has_value());
}

}  // namespace
}  // namespace korvimo
