// Putting an entry back on the clipboard. A text goes on at once; a picture
// only as a promise, made into a DIB when a program first asks for it, so a
// large one keeps the clipboard busy no longer than a text does.
#include <cstring>

#include "app/form1_win32.h"
#include "browser/node_keys.h"
#include "win32/ansi_codec_win32.h"

namespace korvimo {

namespace {

HGLOBAL GlobalText(const std::u16string& text) {
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* at = memory ? GlobalLock(memory) : nullptr;
    if (!at) {
        if (memory) GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(at, text.c_str(), bytes);
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

bool Form1::EntryText(int32_t slot, std::u16string& out) const {
    if (slot < 0 || slot >= history_.TextCount) return false;
    out = history_.TextClips[slot];
    return true;
}

bool Form1::EntryPieces(int32_t slot, const TextSink& sink) const {
    if (slot < 0 || slot >= history_.TextCount) return false;
    sink(history_.TextClips[slot]);
    return true;
}

bool Form1::copy_Click() {
    std::string key;
    if (!SelectedNodeKey(key)) return false;
    const NodeKey node = ClassifyKey(key);
    std::u16string text;
    HGLOBAL memory = nullptr;
    PictureRef picture;
    if (node.kind == NodeKind::TextEntry && EntryText(node.slot, text))
        memory = GlobalText(text);
    else if (node.kind == NodeKind::PicEntry)
        picture = history_.PicClips[node.slot];
    if (!memory && !picture) {
        // A root or a deleted picture has nothing to copy; a text without memory fails.
        if (node.kind != NodeKind::TextEntry) return false;
    } else if (PutOnClipboard(memory, picture)) {
        return true;
    }
    MessageBoxW(hwnd_, L"无法复制到剪贴板：剪贴板正被其他程序占用，或内存不足。", L"Korvimo",
                MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// Takes `text` (ours until it is on the clipboard), or else the picture.
bool Form1::PutOnClipboard(HGLOBAL text, const PictureRef& picture) {
    HGLOBAL mark = GlobalAlloc(GMEM_MOVEABLE, 1);
    bool done = false;
    if (mark && OpenClipboardPatiently(hwnd_)) {
        if (EmptyClipboard()) {
            // Emptying told the last owner, us included, to let its promise go.
            copiedPicture_ = picture;
            done = text ? SetClipboardData(CF_UNICODETEXT, text) != nullptr
                        : (SetClipboardData(CF_DIB, nullptr), IsClipboardFormatAvailable(CF_DIB) != FALSE);
            if (done && text) text = nullptr;  // the clipboard's now
            if (done && SetClipboardData(CopyBackFormat(), mark)) mark = nullptr;
        }
        CloseClipboard();
    }
    if (text) GlobalFree(text);
    if (mark) GlobalFree(mark);
    return done;
}

HANDLE Form1::RenderCopiedPicture() const {
    const auto* stored = dynamic_cast<const StoredPicture*>(copiedPicture_.get());
    if (!stored) return nullptr;
    const size_t size = stored->Layout().totalBytes;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    auto* at = memory ? static_cast<uint8_t*>(GlobalLock(memory)) : nullptr;
    bool read = false;
    if (at) {
        DibReader reader(*stored);
        read = reader.Read(at, size) && reader.AtEnd();
        GlobalUnlock(memory);
    }
    if (read) return SetClipboardData(CF_DIB, memory) ? memory : (GlobalFree(memory), nullptr);
    if (memory) GlobalFree(memory);
    return nullptr;
}

// Before we go, a promise still on the clipboard is kept: the picture stays
// pasteable after the program has ended.
void Form1::RenderAllFormats() {
    if (!copiedPicture_ || !OpenClipboard(hwnd_)) return;
    if (GetClipboardOwner() == hwnd_) RenderCopiedPicture();
    CloseClipboard();
    copiedPicture_.reset();
}

}  // namespace korvimo
