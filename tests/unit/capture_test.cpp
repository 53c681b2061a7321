#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/capture.h"
#include "app/viewer_chain.h"
#include "failing_new.h"
#include "memory_clip_files.h"

namespace korvimo {
namespace {

struct FakePicture : Picture {
    int32_t Width() const override { return 4; }
    int32_t Height() const override { return 3; }
};

ClipboardSnapshot Bitmap(uint32_t handle) {
    ClipboardSnapshot s;
    s.hasPicture = s.hasBitmap = true;
    s.bitmapHandle = handle;
    s.picture = std::make_shared<FakePicture>();
    return s;
}

using Nodes = std::vector<std::string>;

class CaptureTest : public ::testing::Test, CaptureView, CaptureClock, ClipboardSource {
protected:
    CaptureTest() {
        history.Store = &store;
        told.reserve(2);  // telling takes no memory, as the tray balloon takes none
    }
    bool Read(ClipboardSnapshot& out, const ContentWanted& wanted) override {
        ++reads;
        out = next;
        out.text.clear(), out.picture = nullptr;  // copied only when the capture wants them
        out.hasText = !next.text.empty(), out.sequence = sequence;
        const WantedContent want = wanted(out);
        if (want.text) out.text = next.text, ++textsTaken;
        if (want.picture && next.picture) out.picture = next.picture, ++picturesTaken;
        return !std::exchange(busy, 0);
    }
    void SetTrayPicture(int icon) override {
        tray.push_back(icon);
        // As the shell's sent messages do, a tray update can let the next notice in.
        if (auto once = std::exchange(onTray, nullptr)) once();
    }
    void AddClipNode(const std::string& parent, const std::string& key, const std::u16string& label,
                     int image) override {
        nodes.push_back(parent + "/" + key);
        EXPECT_EQ(image, parent == "T" ? kImageText : kImagePicture);
        EXPECT_EQ(label, u"12:34:56");
    }
    std::u16string TimeLabel() override { return u"12:34:56"; }
    void TellDropped(DropReason reason) override { told.push_back(reason); }

    void Notice() {
        sequencer.OnNotice([this] { return sequence; },
                           [this] { return CaptureClipboard(history, *this, *this, *this); });
    }
    void Copy(const ClipboardSnapshot& snapshot) {
        next = snapshot, ++sequence;
        Notice();
    }

    testing::MemoryClipFiles files;
    ClipStore store{files, 0};
    ClipHistory history;
    CaptureSequencer sequencer;
    ClipboardSnapshot next;
    uint32_t sequence = 0;
    int reads = 0, textsTaken = 0, picturesTaken = 0, busy = 0;  // busy: the next reading fails
    std::function<void()> onTray;
    std::vector<int> tray;
    std::vector<DropReason> told;
    Nodes nodes;
};

TEST_F(CaptureTest, PictureNeedsANewBitmapHandleTheBitmapFormatDetectionAndACopy) {
    Copy(Bitmap(0x10));
    Copy(Bitmap(0x10));
    Copy({u"between"});  // a text change does not forget the newest picture
    Copy(Bitmap(0x10));
    ClipboardSnapshot noBitmapFormat = Bitmap(0x30);
    noBitmapFormat.hasBitmap = false;
    Copy(noBitmapFormat);
    history.DetectPic = kVbFalse;
    Copy(Bitmap(0x31));
    history.DetectPic = kVbTrue;
    ClipboardSnapshot copyFailed = Bitmap(0x32);
    copyFailed.picture.reset();
    Copy(copyFailed);
    Copy(Bitmap(0x20));
    EXPECT_EQ(nodes, (Nodes{"P/Pic0", "T/Txt0", "P/Pic1"}));
    EXPECT_EQ(picturesTaken, 2);
}

TEST(RetryWithinTest, BusyClipboardIsTriedForAbout100MsHoweverLongAPauseLasts) {
    // A pause of 2 ms may last a whole 15.6 ms timer tick; the clock may wrap.
    // Only pauses that take no time would let the thousandth try come.
    for (uint32_t pauseMs : {1u, 2u, 16u}) {
        uint32_t clock = 0xFFFFFFF0u;
        int tries = 0;
        bool opened = RetryWithin(kClipboardBusyBudgetMs, [&] { return ++tries > 1000; }, [&] { return clock; },
                                  [&] { clock += pauseMs; });
        const uint32_t spent = clock - 0xFFFFFFF0u;
        EXPECT_TRUE(!opened && spent >= 100u && spent < 100u + pauseMs) << pauseMs << " ms pauses, " << spent;
    }
    int tries = 0;
    EXPECT_TRUE(RetryWithin(kClipboardBusyBudgetMs, [&] { return ++tries == 3; }, [] { return 0u; }, [] {}));
    EXPECT_EQ(tries, 3);
}

TEST_F(CaptureTest, TextAndBitmapRecordTextFirstThenAFullHistoryDropsFurtherClips) {
    history.TextCount = history.PicCount = kLastSlot;
    ClipboardSnapshot both = Bitmap(0x40);
    both.text = u"last";
    Copy(both);
    EXPECT_EQ(history.PicClips[kLastSlot], both.picture);
    both.text = u"one too many";
    both.bitmapHandle = 0x41;
    Copy(both);
    EXPECT_EQ(nodes, (Nodes{"T/Txt10000", "P/Pic10000"}));
    EXPECT_EQ(history.AppendText(u"x"), kNoSlotLeft);  // nothing is written past the last slot
    EXPECT_TRUE(history.TextCount == kSlotCount && history.PicCount == kSlotCount && textsTaken == 1);
    both.bitmapHandle = 0x42;
    Copy(both);
    EXPECT_EQ(told, std::vector<DropReason>{DropReason::NoSlotLeft});  // said once
}

TEST_F(CaptureTest, PrivateContentOurCopyBackAndTextWithDetectionOffAreNeitherCopiedNorRecorded) {
    Copy({u"A"});
    ClipboardSnapshot secret = Bitmap(0x50);
    secret.text = u"password";
    secret.marks.viewerIgnore = true;  // the other marks come from another program in the Wine tests
    Copy(secret);
    secret.marks = {}, secret.ourCopy = true, secret.bitmapHandle = 0x51;  // an entry copied back
    Copy(secret);
    Copy({u"A"});  // still the newest text: no second entry
    history.DetectText = kVbFalse;
    Copy({u"B"});
    EXPECT_EQ(tray, std::vector<int>(5, kTrayIconHasData));  // the tray follows what was not copied
    EXPECT_EQ(nodes, (Nodes{"T/Txt0"}));
    EXPECT_TRUE(history.LastPicHandle == 0u && picturesTaken == 0 && textsTaken == 2);
    EXPECT_TRUE(IsPrivate({false, false, 0u}) && !IsPrivate({false, false, 1u}) && !IsPrivate({}));
}

TEST_F(CaptureTest, NoticesDuringACaptureNeedOneMoreReadingAfterItAndAChangeIsReadOnce) {
    // While "first" updates the tray, "second" is copied and three notices
    // arrive, then "third": read after the running capture, and only once.
    next.text = u"first";
    onTray = [this] {
        next.text = u"second";
        ++sequence;
        for (int i = 0; i < 3; ++i) Notice();
        next.text = u"third";
    };
    Notice();
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(nodes, (Nodes{"T/Txt0", "T/Txt1"}));
    EXPECT_TRUE(history.TextClips[1]->Equals(u"third"));
    Copy({u"fourth"});  // once done, the next notice is captured at once
    Notice();           // and the change's second notice reads nothing
    busy = 1;
    Copy({u"fifth"});
    Notice();  // a change that could not be read is read at its next notice
    sequence = 0;
    Notice(), Notice();  // with no number to go by, every notice reads
    EXPECT_TRUE(reads == 7 && history.TextCount == 4) << reads;
}

TEST_F(CaptureTest, NoAllocationThatFailsAtAnyStepLosesAnEntryOrEndsTheCapture) {
    // Big texts past the budget: compressed, into files, compared and read in pieces.
    auto text = [](int n) {
        std::u16string t(3 * kTextPieceChars + 7, u'a');
        for (size_t i = 0; i < t.size(); i += 97) t[i] = static_cast<char16_t>(u'a' + (i / 97 + n) % 26);
        return t;
    };
    std::vector<std::u16string> kept = {u"small", text(1), text(2)};
    for (const std::u16string& k : kept) Copy({k});
    auto intact = [&](size_t count) {
        ASSERT_EQ(history.TextCount, static_cast<int32_t>(count));
        ASSERT_EQ(nodes.size(), count);
        for (size_t i = 0; i < count; ++i) EXPECT_EQ(ReadWholeText(history.TextClips[i]), kept[i]) << i;
        EXPECT_EQ(files.files.size(), store.Use().inFiles);  // nothing half-written stays
    };
    const std::u16string newer = text(3), edited = text(4);
    bool captured = false, replaced = false;
    for (long step = 0; !captured || !replaced; ++step) {
        next.text = newer, ++sequence;  // each try a change of its own
        testing::allocationsLeft = step;
        if (!captured) Notice();
        const bool written = !replaced && history.RewriteText(1, edited);
        testing::allocationsLeft = -1;
        if (history.TextCount == 4) {
            captured = true;
            if (kept.size() == 3) kept.push_back(newer);
        }
        if (written) kept[1] = edited;
        replaced = replaced || written;
        intact(kept.size());
    }
    EXPECT_EQ(told, std::vector<DropReason>{DropReason::NoRoom});  // said once, at the first
    EXPECT_EQ(store.Use().inFiles, 3u);
}

// Clipboard notices come down the viewer chain, which every member must keep whole.
TEST(ViewerChainTest, OurNextViewerLeavingLinksToTheOneAfterItOthersArePassedOn) {
    ViewerChain chain{0x100};
    EXPECT_TRUE(chain.ForwardDrawClipboard());
    EXPECT_TRUE(chain.OnChangeCbChain(0x300, 0x400));
    EXPECT_EQ(chain.NextViewer, 0x100u);
    EXPECT_FALSE(chain.OnChangeCbChain(0x100, 0x200));
    EXPECT_EQ(chain.NextViewer, 0x200u);
    EXPECT_FALSE(chain.OnChangeCbChain(0x200, 0));
    EXPECT_FALSE(chain.ForwardDrawClipboard());
    EXPECT_FALSE(chain.OnChangeCbChain(0x50, 0x60));
    EXPECT_EQ(chain.NextViewer, 0u);
}

}  // namespace
}  // namespace korvimo
