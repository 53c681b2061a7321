#include "app/capture.h"

#include <new>

#include "browser/node_keys.h"

namespace korvimo {

namespace {

void Drop(ClipHistory& history, DropReason reason, CaptureView& view) {
    bool& told = reason == DropReason::NoSlotLeft ? history.ToldFull : history.ToldNoRoom;
    if (told) return;
    told = true;
    view.TellDropped(reason);
}

void CaptureText(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                 CaptureClock& clock) {
    if (snapshot.text.empty() || history.DetectText == kVbFalse) return;
    // Only the newest slot, as it stands now (edited or emptied), counts.
    const TextRef& newest = history.TextCount > 0 ? history.TextClips[history.TextCount - 1] : nullptr;
    if (newest && newest->Equals(snapshot.text)) return;
    const int32_t slot = history.AppendText(snapshot.text);
    if (slot < 0) return Drop(history, slot == kNoSlotLeft ? DropReason::NoSlotLeft : DropReason::NoRoom, view);
    try {
        view.AddClipNode("T", MakeTextKey(slot), clock.TimeLabel(), kImageText);
    } catch (const std::bad_alloc&) {
        history.TextClips[slot].reset();  // no node shows it: as if never taken
        --history.TextCount;
        throw;
    }
}

// A new picture the capture would record if it had a slot for it.
bool PictureIsNew(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    if (snapshot.bitmapHandle == 0 || history.DetectPic == kVbFalse || !snapshot.hasBitmap) return false;
    if (IsPrivate(snapshot.marks)) return false;
    // The same clipboard bitmap as the newest entry: a notice without new data.
    return !(history.PicCount > 0 && snapshot.bitmapHandle == history.LastPicHandle);
}

void CapturePicture(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                    CaptureClock& clock) {
    if (PictureIsNew(history, snapshot) && !history.PicSlotFree()) return Drop(history, DropReason::NoSlotLeft, view);
    if (snapshot.pictureLost) return Drop(history, DropReason::NoRoom, view);
    // A picture that could not be stored is not recorded; the text step ran.
    if (!WantsPicture(history, snapshot) || !snapshot.picture) return;
    view.AddClipNode("P", MakePicKey(history.PicCount), clock.TimeLabel(), kImagePicture);
    history.PicClips[history.PicCount] = snapshot.picture;
    history.LastPicHandle = snapshot.bitmapHandle;
    ++history.PicCount;
}

bool HoldsData(const ClipboardSnapshot& snapshot) { return snapshot.hasPicture || !snapshot.text.empty(); }

}  // namespace

int StartTrayPicture(bool readable, const ClipboardSnapshot& first) {
    return readable && HoldsData(first) ? kTrayIconHasData : kTrayIconEmpty;
}

bool WantsPicture(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    return PictureIsNew(history, snapshot) && history.PicSlotFree();
}

void CaptureSnapshot(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                     CaptureClock& clock) {
    if (!HoldsData(snapshot)) {
        view.SetTrayPicture(kTrayIconEmpty);
        return;
    }
    view.SetTrayPicture(kTrayIconHasData);
    // Private content still shows as data in the tray, but leaves no trace in
    // the history, not even as the newest text the duplicate test compares to.
    if (IsPrivate(snapshot.marks)) return;
    CaptureText(history, snapshot, view, clock);
    CapturePicture(history, snapshot, view, clock);
}

void CaptureClipboard(ClipHistory& history, ClipboardSource& clipboard, CaptureView& view,
                      CaptureClock& clock) {
    try {
        ClipboardSnapshot snapshot;
        if (!clipboard.Read(snapshot, [&history](const ClipboardSnapshot& s) { return WantsPicture(history, s); }))
            return;
        CaptureSnapshot(history, snapshot, view, clock);
    } catch (const std::bad_alloc&) {
        Drop(history, DropReason::NoRoom, view);
    }
}

}  // namespace korvimo
