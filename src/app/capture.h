#pragma once
// The capture: looks at the clipboard after each change, switches the tray
// picture, and appends at most one text clip and one picture clip.
#include <cstdint>
#include <functional>
#include <string>

#include "app/clip_history.h"
#include "app/privacy.h"

namespace korvimo {

inline constexpr int kTrayIconHasData = 101;
inline constexpr int kTrayIconEmpty = 102;

inline constexpr int kImageRoot = 4;
inline constexpr int kImageText = 9;
inline constexpr int kImagePicture = 10;

// What one reading of the clipboard found. The clipboard is opened once per
// change, so every step of the capture sees the same contents.
struct ClipboardSnapshot {
    std::u16string text;         // the clipboard's text, copied only when the capture wants it
    bool hasText = false;        // the clipboard holds text that is not empty
    bool hasPicture = false;     // any picture format (bitmap, DIB, metafile)
    bool hasBitmap = false;      // the standard bitmap format is offered
    uint32_t bitmapHandle = 0;   // the clipboard's own bitmap handle
    PictureRef picture;          // our stored copy of its pixels, when one was wanted
    bool pictureLost = false;    // one was wanted, but there was no room to copy or keep it
    PrivacyMarks marks;
    uint32_t sequence = 0;       // the clipboard's sequence number while it was open, 0 if unknown
    bool ourCopy = false;        // our own copy of an entry, put back on the clipboard
};

// What the capture would record, asked with the marks, the formats offered
// and the bitmap handle already read: only that is copied out of the
// clipboard, which every other program waits for while we hold it, and a
// secret is never held in our memory at all. An empty one wants nothing.
struct WantedContent {
    bool text = false;
    bool picture = false;
};
using ContentWanted = std::function<WantedContent(const ClipboardSnapshot&)>;

class ClipboardSource {
public:
    virtual ~ClipboardSource() = default;
    // False when the clipboard could not be read (another program holds it
    // open); the change is then skipped and nothing is touched.
    virtual bool Read(ClipboardSnapshot& out, const ContentWanted& wanted = {}) = 0;
};

// Another program may hold the clipboard open for a moment (the one that just
// changed it often still does when the notice comes). Tries until the attempt
// works or budgetMs have passed on the millisecond clock now() (which may wrap),
// pausing between tries. Bounded by time, not by a count of tries: a pause
// can last far longer than asked for (a whole timer tick, about 15.6 ms).
inline constexpr uint32_t kClipboardBusyBudgetMs = 100;

template <typename Attempt, typename Clock, typename Pause>
bool RetryWithin(uint32_t budgetMs, Attempt attempt, Clock now, Pause pause) {
    const uint32_t start = now();
    while (!attempt()) {
        if (static_cast<uint32_t>(now() - start) >= budgetMs) return false;
        pause();
    }
    return true;
}

// The tray picture at start-up, before the first capture: that of a clipboard
// holding data only when the clipboard could be read and holds some. An
// unreadable clipboard tells nothing, and the picture follows the next
// reading that works, as after any change.
int StartTrayPicture(bool readable, const ClipboardSnapshot& first);

// Why a clip the capture would have recorded was dropped.
enum class DropReason { NoSlotLeft, NoRoom };

class CaptureView {
public:
    virtual ~CaptureView() = default;
    virtual void SetTrayPicture(int iconResource) = 0;
    // Adds a child of parentKey and scrolls it into view; the selection stays.
    virtual void AddClipNode(const std::string& parentKey, const std::string& key,
                             const std::u16string& label, int image) = 0;
    // The first clip dropped for each reason in a run is told, once.
    virtual void TellDropped(DropReason reason) = 0;
};

class CaptureClock {
public:
    virtual ~CaptureClock() = default;
    virtual std::u16string TimeLabel() = 0;  // time of day in the user's format
};

// Returns the sequence number of the contents read, 0 when none were. A clip
// with no room (memory, files) is dropped alone: the history stays as it was
// and the capture goes on with the next change.
uint32_t CaptureClipboard(ClipHistory& history, ClipboardSource& clipboard, CaptureView& view,
                          CaptureClock& clock);

// What the capture would record of the snapshot: never private content, nor
// a kind whose detection is off or whose slots are all used, nor the bitmap
// the newest entry already holds.
WantedContent WhatToCopy(const ClipHistory& history, const ClipboardSnapshot& snapshot);

// Applies a snapshot already read; CaptureClipboard reads and calls this.
void CaptureSnapshot(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                     CaptureClock& clock);

// Clipboard notices are sent messages, and a capture lets other programs'
// sent messages in (updating the tray icon talks to the shell), so a notice
// can arrive in the middle of a capture. Run there, it would record the newer
// contents first and the older snapshot after them, out of order and as a
// second entry. Instead the notice is remembered, and the clipboard is read
// once more when the running capture is done; notices that pile up meanwhile
// need only that one reading, since it sees the latest contents.
//
// Each change comes with two notices, the format listener's and the viewer
// chain's (so that a viewer ahead of us that passes nothing on costs us
// nothing), and the clipboard's sequence number tells them apart: a change
// already read is not read again. current() gives the number now, capture()
// reads and returns the number of what it read, 0 when it could not read,
// so that the next notice tries again. A number of 0 (no access to it) is
// never taken for a change already read.
class CaptureSequencer {
public:
    template <typename Current, typename Capture>
    void OnNotice(Current&& current, Capture&& capture) {
        if (running_) {
            pending_ = true;
            return;
        }
        Running running(running_);
        do {
            pending_ = false;
            const uint32_t now = current();
            if (now == 0 || now != lastRead_) lastRead_ = capture();
        } while (pending_);
    }

    // The next notice reads the clipboard even if its contents were read
    // already, as then with detection off (start-up's first capture).
    void ReadAgain() { lastRead_ = 0; }

private:
    struct Running {
        explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
        ~Running() { flag_ = false; }
        bool& flag_;
    };
    bool running_ = false;
    bool pending_ = false;
    uint32_t lastRead_ = 0;
};

}  // namespace korvimo
