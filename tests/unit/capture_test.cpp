#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/capture.h"

namespace korvimo {
namespace {

struct FakePicture : Picture {
    int32_t Width() const override { return 4; }
    int32_t Height() const override { return 3; }
};

struct Node {
    std::string parent, key;
    std::u16string label;
    int image;
};

struct RecordingView : CaptureView, CaptureClock {
    std::vector<int> trayPictures;
    std::vector<Node> nodes;
    void SetTrayPicture(int icon) override { trayPictures.push_back(icon); }
    void AddClipNode(const std::string& parent, const std::string& key, const std::u16string& label,
                     int image) override {
        nodes.push_back({parent, key, label, image});
    }
    std::u16string TimeLabel() override { return u"12:34:56"; }
};

struct ScriptedClipboard : ClipboardSource {
    bool readable = true;
    int picturesTaken = 0;  // pixels copied: only for pictures the capture wants
    ClipboardSnapshot next;
    bool Read(ClipboardSnapshot& out, const PictureWanted& wanted) override {
        if (!readable) return false;
        out = next;
        out.picture = nullptr;
        if (next.picture && wanted && wanted(out)) out.picture = next.picture, ++picturesTaken;
        return true;
    }
};

ClipboardSnapshot Text(const std::u16string& text) {
    ClipboardSnapshot s;
    s.text = text;
    return s;
}

ClipboardSnapshot Bitmap(uint32_t handle) {
    ClipboardSnapshot s;
    s.hasPicture = s.hasBitmap = true;
    s.bitmapHandle = handle;
    s.picture = std::make_shared<FakePicture>();
    return s;
}

class CaptureTest : public ::testing::Test {
protected:
    void Copy(const ClipboardSnapshot& snapshot) {
        clipboard.next = snapshot;
        CaptureClipboard(history, clipboard, view, view);
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const Node& n : view.nodes) keys.push_back(n.key);
        return keys;
    }
    ClipHistory history;
    ScriptedClipboard clipboard;
    RecordingView view;
};

using KeyList = std::vector<std::string>;

TEST_F(CaptureTest, TextIsComparedOnlyWithTheNewestSlotExactly) {
    Copy(Text(u"a"));
    Copy(Text(u"a"));
    EXPECT_EQ(Keys(), (KeyList{"Txt0"}));
    Copy(Text(u"b"));
    Copy(Text(u"a"));
    Copy(Text(u"A"));
    Copy(Text(u"A "));
    Copy(Text(u"A \r\n"));
    EXPECT_EQ(Keys(), (KeyList{"Txt0", "Txt1", "Txt2", "Txt3", "Txt4", "Txt5"}));
    EXPECT_EQ(history.TextCount, 6);
    EXPECT_EQ(history.TextClips[5], u"A \r\n");
    EXPECT_EQ(view.nodes[0].parent, "T");
    EXPECT_EQ(view.nodes[0].label, u"12:34:56");
    EXPECT_EQ(view.nodes[0].image, kImageText);
}

TEST_F(CaptureTest, EditedOrDeletedNewestSlotIsWhatTheDuplicateTestSees) {
    Copy(Text(u"first"));
    history.TextClips[0] = u"edited";
    Copy(Text(u"first"));
    EXPECT_EQ(Keys(), (KeyList{"Txt0", "Txt1"}));
    history.TextClips[1].clear();  // deleted
    Copy(Text(u"first"));
    EXPECT_EQ(Keys(), (KeyList{"Txt0", "Txt1", "Txt2"}));
}

TEST_F(CaptureTest, TrayFollowsTheClipboardEvenWhenNothingIsRecorded) {
    Copy(ClipboardSnapshot{});
    EXPECT_EQ(view.trayPictures.back(), kTrayIconEmpty);
    history.DetectText = kVbFalse;
    Copy(Text(u"x"));
    EXPECT_EQ(view.trayPictures.back(), kTrayIconHasData);
    EXPECT_TRUE(view.nodes.empty());
    // A metafile alone is data, but no bitmap to record.
    ClipboardSnapshot metafile;
    metafile.hasPicture = true;
    Copy(metafile);
    EXPECT_EQ(view.trayPictures, (std::vector<int>{kTrayIconEmpty, kTrayIconHasData, kTrayIconHasData}));
    EXPECT_TRUE(view.nodes.empty());
    EXPECT_EQ(history.PicCount, 0);
}

TEST_F(CaptureTest, TextAndBitmapInOneChangeRecordTextFirst) {
    ClipboardSnapshot both = Bitmap(0x1234);
    both.text = u"caption";
    Copy(both);
    EXPECT_EQ(Keys(), (KeyList{"Txt0", "Pic0"}));
    EXPECT_EQ(view.nodes[1].parent, "P");
    EXPECT_EQ(view.nodes[1].image, kImagePicture);
    EXPECT_EQ(history.PicClips[0], both.picture);
}

TEST_F(CaptureTest, SameClipboardBitmapHandleIsADuplicate) {
    Copy(Bitmap(0x10));
    Copy(Bitmap(0x10));
    EXPECT_EQ(history.PicCount, 1);
    Copy(Text(u"between"));  // a text change does not forget the newest picture
    Copy(Bitmap(0x10));
    Copy(Bitmap(0x20));
    EXPECT_EQ(Keys(), (KeyList{"Pic0", "Txt0", "Pic1"}));
    EXPECT_EQ(history.PicCount, 2);
    EXPECT_EQ(clipboard.picturesTaken, 2);
}

TEST_F(CaptureTest, PictureNeedsTheBitmapFormatAndDetection) {
    ClipboardSnapshot noBitmapFormat = Bitmap(0x30);
    noBitmapFormat.hasBitmap = false;
    Copy(noBitmapFormat);
    history.DetectPic = kVbFalse;
    Copy(Bitmap(0x31));
    EXPECT_EQ(history.PicCount, 0);
    EXPECT_EQ(clipboard.picturesTaken, 0);
    history.DetectPic = kVbTrue;
    ClipboardSnapshot copyFailed = Bitmap(0x32);
    copyFailed.picture.reset();
    Copy(copyFailed);
    EXPECT_EQ(history.PicCount, 0);
    Copy(Bitmap(0x33));
    EXPECT_EQ(Keys(), (KeyList{"Pic0"}));
}

TEST_F(CaptureTest, UnreadableClipboardChangesNothing) {
    Copy(Text(u"kept"));
    clipboard.readable = false;
    Copy(Text(u"lost"));
    EXPECT_EQ(history.TextCount, 1);
    EXPECT_EQ(view.trayPictures.size(), 1u);
}

TEST(StartTrayPictureTest, DataOnlyWhenTheClipboardWasReadAndHoldsSome) {
    EXPECT_EQ(StartTrayPicture(true, Text(u"x")), kTrayIconHasData);
    EXPECT_EQ(StartTrayPicture(true, Bitmap(7)), kTrayIconHasData);
    EXPECT_EQ(StartTrayPicture(true, ClipboardSnapshot()), kTrayIconEmpty);
    // Unreadable tells nothing, whatever the snapshot was left holding.
    EXPECT_EQ(StartTrayPicture(false, Text(u"x")), kTrayIconEmpty);
}

TEST(RetryWithinTest, BusyClipboardIsTriedForAbout100MsHoweverLongAPauseLasts) {
    // A pause of 2 ms may last a whole 15.6 ms timer tick; the clock may wrap.
    for (uint32_t pauseMs : {1u, 2u, 16u}) {
        uint32_t clock = 0xFFFFFFF0u;
        int tries = 0;
        bool opened = RetryWithin(
            kClipboardBusyBudgetMs, [&] { return ++tries < 0; }, [&] { return clock; },
            [&] { clock += pauseMs; });
        uint32_t spent = clock - 0xFFFFFFF0u;
        EXPECT_FALSE(opened);
        EXPECT_GE(spent, 100u) << pauseMs;
        EXPECT_LT(spent, 100u + pauseMs) << pauseMs;
    }
    int tries = 0;
    EXPECT_TRUE(RetryWithin(kClipboardBusyBudgetMs, [&] { return ++tries == 3; }, [] { return 0u; }, [] {}));
    EXPECT_EQ(tries, 3);
}

TEST_F(CaptureTest, FullHistoryDropsFurtherClipsWithoutWritingPastTheLastSlot) {
    history.TextCount = kLastSlot;
    history.PicCount = kLastSlot;
    ClipboardSnapshot both = Bitmap(0x40);
    both.text = u"last";
    Copy(both);
    EXPECT_EQ(Keys(), (KeyList{"Txt10000", "Pic10000"}));
    both.text = u"one too many";
    both.bitmapHandle = 0x41;
    Copy(both);
    EXPECT_EQ(history.TextCount, kSlotCount);
    EXPECT_EQ(history.PicCount, kSlotCount);
    EXPECT_EQ(view.nodes.size(), 2u);
}

TEST_F(CaptureTest, PrivateContentLeavesNoTrace) {
    Copy(Text(u"A"));
    ClipboardSnapshot secret = Bitmap(0x50);
    secret.text = u"password";
    secret.marks.excludeFromMonitor = true;
    Copy(secret);
    EXPECT_EQ(view.trayPictures.back(), kTrayIconHasData);
    Copy(Text(u"A"));  // still the newest text: no second entry
    EXPECT_EQ(Keys(), (KeyList{"Txt0"}));
    EXPECT_EQ(history.PicCount, 0);
    EXPECT_EQ(history.LastPicHandle, 0u);
    EXPECT_EQ(clipboard.picturesTaken, 0);
}

// A view whose tray update lets the next clipboard notice in, as the shell's
// sent messages do: the clipboard has moved on to `later` by then.
struct ReenteringView : RecordingView {
    std::function<void()> onTray;
    void SetTrayPicture(int icon) override {
        RecordingView::SetTrayPicture(icon);
        if (onTray) {
            auto once = std::move(onTray);
            onTray = nullptr;
            once();
        }
    }
};

class SequencedCaptureTest : public ::testing::Test {
protected:
    void Notice() {
        sequencer.OnNotice([this] { CaptureClipboard(history, clipboard, view, view); });
    }
    std::vector<std::u16string> Texts() const {
        return {history.TextClips.begin(), history.TextClips.begin() + history.TextCount};
    }
    ClipHistory history;
    ScriptedClipboard clipboard;
    ReenteringView view;
    CaptureSequencer sequencer;
};

TEST_F(SequencedCaptureTest, NoticeDuringACaptureIsReadAfterItInOrder) {
    clipboard.next = Text(u"a");
    Notice();
    // The same text again; while its capture updates the tray, "b" is copied
    // and its notice arrives.
    view.onTray = [this] {
        clipboard.next = Text(u"b");
        Notice();
    };
    Notice();
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(view.nodes.size(), 2u);
}

TEST_F(SequencedCaptureTest, NoticesPilingUpNeedOneMoreReading) {
    int reads = 0;
    struct CountingClipboard : ClipboardSource {
        int* reads;
        ClipboardSnapshot* current;
        bool Read(ClipboardSnapshot& out, const PictureWanted&) override {
            ++*reads;
            out = *current;
            return true;
        }
    } counting;
    ClipboardSnapshot current = Text(u"first");
    counting.reads = &reads;
    counting.current = &current;
    view.onTray = [&] {
        current = Text(u"second");
        for (int i = 0; i < 3; ++i)
            sequencer.OnNotice([&] { CaptureClipboard(history, counting, view, view); });
        current = Text(u"third");
    };
    sequencer.OnNotice([&] { CaptureClipboard(history, counting, view, view); });
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"first", u"third"}));
    // Once done, the next notice is captured at once.
    current = Text(u"fourth");
    sequencer.OnNotice([&] { CaptureClipboard(history, counting, view, view); });
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(history.TextCount, 3u);
}

TEST(PrivacyTest, EachMarkerAndTheHistoryValue) {
    struct Case {
        bool exclude, ignore;
        std::optional<uint32_t> history;
        bool secret;
    };
    const Case cases[] = {{false, false, std::nullopt, false}, {true, false, std::nullopt, true},
                          {false, true, std::nullopt, true},   {false, false, 0u, true},
                          {false, false, 1u, false}};
    for (const Case& c : cases) {
        PrivacyMarks marks;
        marks.excludeFromMonitor = c.exclude;
        marks.viewerIgnore = c.ignore;
        marks.canIncludeInHistory = c.history;
        EXPECT_EQ(IsPrivate(marks), c.secret) << c.exclude << c.ignore << c.history.value_or(9);
    }
}

}  // namespace
}  // namespace korvimo
