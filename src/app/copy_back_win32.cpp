// Putting an entry back on the clipboard. A text goes on at once; a picture
// only as a promise, made into a DIB when a program first asks for it, so a
// large one keeps the clipboard busy no longer than a text does.
#include <cstring>

#include "app/form1_win32.h"
#include "browser/node_keys.h"
#include "win32/ansi_codec_win32.h"

namespace korvimo {

namespace {

// Clipboard memory of `bytes` bytes, filled in place by `fill`; none when
// there is no memory or the fill fails.
template <typename Fill>
HGLOBAL GlobalFilled(size_t bytes, Fill fill) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* at = memory ? GlobalLock(memory) : nullptr;
    const bool filled = at && fill(at);
    if (at) GlobalUnlock(memory);
    if (filled) return memory;
    if (memory) GlobalFree(memory);
    return nullptr;
}

// The entry's text in clipboard memory, read from the store piece by piece,
// so no second whole copy of a big text is made on the way.
HGLOBAL GlobalText(const TextRef& text) {
    const size_t length = text ? text->Length() : 0;
    return GlobalFilled((length + 1) * sizeof(char16_t), [&](void* memory) {
        auto* at = static_cast<char16_t*>(memory);
        size_t filled = 0;
        const bool read = ReadTextPieces(text, [&](std::u16string_view piece) {
            if (piece.size() > length - filled) return false;
            std::memcpy(at + filled, piece.data(), piece.size() * sizeof(char16_t));
            filled += piece.size();
            return true;
        });
        at[filled] = u'\0';
        return read && filled == length;
    });
}

}  // namespace

bool Form1::EntryPieces(int32_t slot, const TextSink& sink) const {
    if (slot < 0 || slot >= history_.TextCount) return false;
    return ReadTextPieces(history_.TextClips[slot], sink);
}

bool Form1::copy_Click() {
    std::string key;
    // The entry as edited in the box is the one copied.
    if (!SelectedNodeKey(key) || !StoreText1()) return false;
    const NodeKey node = ClassifyKey(key);
    HGLOBAL memory = nullptr;
    PictureRef picture;
    if (node.kind == NodeKind::TextEntry)
        memory = GlobalText(history_.TextClips[node.slot]);
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
    HGLOBAL memory = GlobalFilled(size, [&](void* at) {
        ClipReader reader(*stored);
        return reader.Read(static_cast<uint8_t*>(at), size) && reader.AtEnd();
    });
    if (memory && !SetClipboardData(CF_DIB, memory)) {
        GlobalFree(memory);
        return nullptr;
    }
    return memory;
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
