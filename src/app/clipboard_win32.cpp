#include "app/clipboard_win32.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "app/ids.h"
#include "win32/ansi_codec_win32.h"

namespace korvimo {

namespace {

// A registered format's number, asked for once, as it stays the same for the
// session; a registration that failed is asked for again the next time.
UINT RegisteredFormat(const char16_t* name, UINT& number) {
    if (!number) number = RegisterClipboardFormatW(reinterpret_cast<const wchar_t*>(name));
    return number;
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
    try {
        std::u16string result = U16(text, length);
        GlobalUnlock(data);
        return result;
    } catch (const std::bad_alloc&) {
        GlobalUnlock(data);
        throw;
    }
}

// Whether the clipboard holds text that is not empty, told without copying
// it: a text the capture will not keep stays where it is.
bool OffersText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!text) return false;
    const bool any = GlobalSize(data) >= sizeof(wchar_t) && text[0] != L'\0';
    GlobalUnlock(data);
    return any;
}

PrivacyMarks ReadPrivacyMarks() {
    static UINT excludeFromMonitor = 0, viewerIgnore = 0, canIncludeNumber = 0;
    PrivacyMarks marks;
    marks.excludeFromMonitor =
        IsClipboardFormatAvailable(RegisteredFormat(kExcludeFromMonitorFormat, excludeFromMonitor));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisteredFormat(kViewerIgnoreFormat, viewerIgnore));
    const UINT canInclude = RegisteredFormat(kCanIncludeInHistoryFormat, canIncludeNumber);
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


// The pixels of a bitmap GDI can draw, as a 32-bit bottom-up DIB of our own.
std::vector<uint8_t> DibOfBitmap(HBITMAP bitmap) {
    BITMAP size{};
    if (GetObjectW(bitmap, sizeof size, &size) != sizeof size || !FitsInProcess(size.bmWidth, size.bmHeight))
        return {};
    const BITMAPINFOHEADER header{sizeof header, size.bmWidth, size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint8_t> dib(sizeof header + static_cast<size_t>(size.bmWidth) * size.bmHeight * 4);
    std::memcpy(dib.data(), &header, sizeof header);
    HDC screen = GetDC(nullptr);
    const int lines = screen ? GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight),
                                         dib.data() + sizeof header, reinterpret_cast<BITMAPINFO*>(dib.data()),
                                         DIB_RGB_COLORS)
                             : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (lines != size.bmHeight) return {};
    return dib;
}

// The picture's pixels, copied once into our own memory while the clipboard
// is open; compressing them waits until it is closed again. The DIB, which
// Windows offers for every bitmap, is taken as it is; the V5 form is asked
// for only when the plain one is no layout we read, and the bitmap itself,
// which GDI can draw whatever its layout (run-length coded, a core header),
// when neither is. Throws when there is no memory for the copy.
std::vector<uint8_t> CopyClipboardDib(HBITMAP bitmap) {
    for (UINT format : {CF_DIB, CF_DIBV5}) {
        HANDLE data = GetClipboardData(format);
        const auto* bytes = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
        if (!bytes) continue;
        const std::optional<DibLayout> layout = ReadDibLayout(bytes, GlobalSize(data));
        std::vector<uint8_t> copy;
        try {
            if (layout && FitsInProcess(layout->width, layout->height))
                copy.assign(bytes, bytes + layout->totalBytes);
        } catch (const std::bad_alloc&) {
            GlobalUnlock(data);
            throw;
        }
        GlobalUnlock(data);
        if (layout) return copy;  // no other form of it would be smaller
    }
    return DibOfBitmap(bitmap);
}

}  // namespace

// Short tries catch a clipboard held open for a moment quickly; after about
// 100 ms we give up rather than stall the window.
bool OpenClipboardPatiently(HWND owner) {
    return RetryWithin(
        kClipboardBusyBudgetMs, [owner] { return OpenClipboard(owner) != FALSE; },
        [] { return static_cast<uint32_t>(GetTickCount()); }, [] { Sleep(2); });
}

UINT CopyBackFormat() {
    static UINT number = 0;
    return RegisteredFormat(reinterpret_cast<const char16_t*>(kCopyBackFormat), number);
}

bool SystemClipboard::Read(ClipboardSnapshot& out, const ContentWanted& wanted) {
    if (!OpenClipboardPatiently(owner_)) return false;
    std::vector<uint8_t> dib;
    try {
        // Nobody can change the clipboard while we hold it open: this number is
        // that of the contents read here.
        out.sequence = static_cast<uint32_t>(GetClipboardSequenceNumber());
        out.marks = ReadPrivacyMarks();
        out.hasText = OffersText();
        out.ourCopy = IsClipboardFormatAvailable(CopyBackFormat());
        out.hasPicture = OffersPicture();
        out.hasBitmap = IsClipboardFormatAvailable(CF_BITMAP);
        // Asking for the bitmap of our own picture would render it now, for nothing.
        HBITMAP bitmap =
            out.hasBitmap && !out.ourCopy ? static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)) : nullptr;
        out.bitmapHandle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bitmap));
        const WantedContent want = wanted ? wanted(out) : WantedContent{};
        if (want.text) out.text = ReadUnicodeText();
        // The clipboard frees its data on the next change: keep our own copy,
        // but only of a picture the capture will record.
        if (bitmap && want.picture) {
            try {
                dib = CopyClipboardDib(bitmap);
            } catch (const std::bad_alloc&) {
                out.pictureLost = true;
            }
        }
    } catch (...) {
        CloseClipboard();  // never left open for other programs
        throw;
    }
    // Every other program waits while we hold the clipboard: compressing,
    // and writing a file past the memory budget, come after.
    CloseClipboard();
    if (!dib.empty()) {
        out.picture = store_.Put(dib.data(), dib.size());
        out.pictureLost = !out.picture;  // the layout was read already: only room lacked
    }
    return true;
}

void EmptySystemClipboard(HWND owner) {
    if (!OpenClipboardPatiently(owner)) return;
    EmptyClipboard();
    CloseClipboard();
}

}  // namespace korvimo
