#include "app/capture.h"

#include "browser/node_keys.h"

namespace korvimo {

namespace {

void CaptureText(ClipHistory& history, const ClipboardSnapshot& snapshot, CaptureView& view,
                 CaptureClock& clock) {
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

bool HoldsData(const ClipboardSnapshot& snapshot) { return snapshot.hasPicture || !snapshot.text.empty(); }

}  // namespace

int StartTrayPicture(bool readable, const ClipboardSnapshot& first) {
    return readable && HoldsData(first) ? kTrayIconHasData : kTrayIconEmpty;
}

bool WantsPicture(const ClipHistory& history, const ClipboardSnapshot& snapshot) {
    if (snapshot.bitmapHandle == 0 || history.DetectPic == kVbFalse || !snapshot.hasBitmap) return false;
    if (IsPrivate(snapshot.marks) || snapshot.ourCopy) return false;
    // The same clipboard bitmap as the newest entry: a notice without new data.
    if (history.PicCount > 0 && snapshot.bitmapHandle == history.LastPicHandle) return false;
    return history.PicSlotFree();
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

void CaptureClipboard(ClipHistory& history, ClipboardSource& clipboard, CaptureView& view,
                      CaptureClock& clock) {
    ClipboardSnapshot snapshot;
    if (!clipboard.Read(snapshot, [&history](const ClipboardSnapshot& s) { return WantsPicture(history, s); }))
        return;
    CaptureSnapshot(history, snapshot, view, clock);
}

}  // namespace korvimo
