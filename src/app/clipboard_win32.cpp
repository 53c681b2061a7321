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

// The picture's pixels as the clipboard holds them, stored compressed: the
// DIB, which Windows offers for every bitmap, read in place without a copy.
// The V5 form is asked for only when the plain one is no picture we can read.
PictureRef StoreClipboardDib(PictureStore& pictures) {
    for (UINT format : {CF_DIB, CF_DIBV5}) {
        HANDLE data = GetClipboardData(format);
        const auto* bytes = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
        if (!bytes) continue;
        const size_t size = GlobalSize(data);
        PictureRef picture;
        const bool readable = ReadDibLayout(bytes, size).has_value();
        if (readable) picture = pictures.Put(bytes, size);
        GlobalUnlock(data);
        if (readable) return picture;
    }
    return nullptr;
}

}  // namespace

bool SystemClipboard::Read(ClipboardSnapshot& out, const PictureWanted& wanted) {
    if (!OpenClipboardPatiently(owner_)) return false;
    out.marks = ReadPrivacyMarks();
    out.text = ReadUnicodeText();
    out.hasPicture = OffersPicture();
    out.hasBitmap = IsClipboardFormatAvailable(CF_BITMAP);
    if (out.hasBitmap) {
        HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        out.bitmapHandle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bitmap));
        // The clipboard frees its data on the next change: keep our own copy,
        // but only of a picture the capture will record.
        if (bitmap && wanted && wanted(out)) out.picture = StoreClipboardDib(pictures_);
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
