#include "app/clipboard_win32.h"

#include <cwchar>

#include "win32/ansi_codec_win32.h"

namespace korvimo {

namespace {

// Short tries catch a clipboard held open for a moment quickly; after about
// 100 ms we give up rather than stall the window.
bool OpenClipboardPatiently(HWND owner) {
    return RetryWithin(
        kClipboardBusyBudgetMs, [owner] { return OpenClipboard(owner) != FALSE; },
        [] { return static_cast<uint32_t>(GetTickCount()); }, [] { Sleep(2); });
}

UINT RegisteredFormat(const char16_t* name) {
    return RegisterClipboardFormatW(reinterpret_cast<const wchar_t*>(name));
}

std::u16string ReadUnicodeText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (!text) return {};
    // Never trust the terminator alone: stop at the end of the memory block.
    size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && text[length] != L'\0') ++length;
    std::u16string result = U16(text, length);
    GlobalUnlock(data);
    return result;
}

PrivacyMarks ReadPrivacyMarks() {
    PrivacyMarks marks;
    marks.excludeFromMonitor = IsClipboardFormatAvailable(RegisteredFormat(kExcludeFromMonitorFormat));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisteredFormat(kViewerIgnoreFormat));
    UINT canInclude = RegisteredFormat(kCanIncludeInHistoryFormat);
    if (IsClipboardFormatAvailable(canInclude)) {
        HANDLE data = GetClipboardData(canInclude);
        if (data && GlobalSize(data) >= sizeof(DWORD)) {
            if (const DWORD* value = static_cast<const DWORD*>(GlobalLock(data))) {
                marks.canIncludeInHistory = *value;
                GlobalUnlock(data);
            }
        }
    }
    return marks;
}

bool OffersPicture() {
    return IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB) ||
           IsClipboardFormatAvailable(CF_DIBV5) || IsClipboardFormatAvailable(CF_ENHMETAFILE) ||
           IsClipboardFormatAvailable(CF_METAFILEPICT);
}

}  // namespace

BitmapPicture::BitmapPicture(HBITMAP bitmap) : bitmap_(bitmap) {
    BITMAP info{};
    if (bitmap_ && GetObjectW(bitmap_, sizeof(info), &info)) {
        width_ = info.bmWidth;
        height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    }
}

BitmapPicture::~BitmapPicture() {
    if (bitmap_) DeleteObject(bitmap_);
}

HBITMAP BitmapOf(const PictureRef& picture) {
    auto bitmap = dynamic_cast<const BitmapPicture*>(picture.get());
    return bitmap ? bitmap->Handle() : nullptr;
}

bool SystemClipboard::Read(ClipboardSnapshot& out) {
    if (!OpenClipboardPatiently(owner_)) return false;
    out.marks = ReadPrivacyMarks();
    out.text = ReadUnicodeText();
    out.hasPicture = OffersPicture();
    out.hasBitmap = IsClipboardFormatAvailable(CF_BITMAP);
    if (out.hasBitmap) {
        HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        out.bitmapHandle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bitmap));
        // The clipboard frees its bitmap on the next change: keep our own copy.
        if (bitmap && !IsPrivate(out.marks)) {
            HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            if (copy) out.picture = std::make_shared<BitmapPicture>(copy);
        }
    }
    CloseClipboard();
    return true;
}

void EmptySystemClipboard(HWND owner) {
    if (!OpenClipboardPatiently(owner)) return;
    EmptyClipboard();
    CloseClipboard();
}

}  // namespace korvimo
