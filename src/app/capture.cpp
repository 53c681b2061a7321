#include "app/capture.h"

#include "browser/node_keys.h"

namespace korvimo {

namespace {

bool WantsPicture(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    if (snapshot.bitmapHandle == 0 || history.DetectPic == kVbFalse || !snapshot.hasBitmap) return false;
    // The same clipboard bitmap as the newest entry: a notice without new data.
    if (history.PicCount > 0 && snapshot.bitmapHandle == history.LastPicHandle) return false;
    return history.PicSlotFree();
}

void CaptureText(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                 CaptureClock& clock) {
    // Empty also when the text was not copied, as the capture did not want it.
    if (snapshot.text.empty() || history.DetectText == kVbFalse) return;
    // Only the newest slot, as it stands now (edited or emptied), counts.
    if (history.TextCount > 0 && snapshot.text == history.TextClips[history.TextCount - 1]) return;
    if (!history.TextSlotFree()) return;
    view.AddClipNode("T", MakeTextKey(history.TextCount), clock.TimeLabel(), kImageText);
    history.AppendText(snapshot.text);
}

void CapturePicture(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                    CaptureClock& clock) {
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
    ClipboardSnapshot snapshot;
    if (!clipboard.Read(snapshot, [&history](const ClipboardSnapshot& s) { return WhatToCopy(history, s); }))
        return 0;
    CaptureSnapshot(history, snapshot, view, clock);
    return snapshot.sequence;
}

}  // namespace korvimo
