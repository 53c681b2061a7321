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
    if (!snapshot.hasText || history.DetectText == kVbFalse) return;
    if (!history.TextSlotFree()) return Drop(history, DropReason::NoSlotLeft, view);
    // Empty also when the text was not copied, as the capture did not want it.
    if (snapshot.text.empty()) return;
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
    if (IsPrivate(snapshot.marks) || snapshot.ourCopy) return false;
    // The same clipboard bitmap as the newest entry: a notice without new data.
    return !(history.PicCount > 0 && snapshot.bitmapHandle == history.LastPicHandle);
}

bool WantsPicture(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    return PictureIsNew(history, snapshot) && history.PicSlotFree();
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

bool HoldsData(const ClipboardSnapshot& snapshot) { return snapshot.hasPicture || snapshot.hasText; }

}  // namespace

int StartTrayPicture(bool readable, const ClipboardSnapshot& first) {
    return readable && HoldsData(first) ? kTrayIconHasData : kTrayIconEmpty;
}

WantedContent WhatToCopy(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    // An entry copied back is in the history already; asking for its bitmap
    // would make us render the picture we promised at once.
    if (IsPrivate(snapshot.marks) || snapshot.ourCopy) return {};
    return {snapshot.hasText && history.DetectText != kVbFalse && history.TextSlotFree(),
            WantsPicture(history, snapshot)};
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
    // An entry copied back is in the history already.
    if (IsPrivate(snapshot.marks) || snapshot.ourCopy) return;
    CaptureText(history, snapshot, view, clock);
    CapturePicture(history, snapshot, view, clock);
}

uint32_t CaptureClipboard(ClipHistory& history, ClipboardSource& clipboard, CaptureView& view,
                          CaptureClock& clock) {
    try {
        ClipboardSnapshot snapshot;
        if (!clipboard.Read(snapshot, [&history](const ClipboardSnapshot& s) { return WhatToCopy(history, s); }))
            return 0;
        CaptureSnapshot(history, snapshot, view, clock);
        return snapshot.sequence;
    } catch (const std::bad_alloc&) {
        // Nothing of the clip stayed: the change's other notice may try again.
        Drop(history, DropReason::NoRoom, view);
        return 0;
    }
}

}  // namespace korvimo
