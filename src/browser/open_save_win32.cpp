// The open and save commands: common file dialogs, the replace question, and
// the files themselves.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>

#include "app/form1_win32.h"
#include "browser/node_keys.h"
#include "browser/open_save.h"
#include "common/text_encoding.h"
#include "gif/bitmap_file_win32.h"
#include "gif/replace_file_win32.h"
#include "gif/saving_win32.h"
#include "win32/ansi_codec_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {

namespace {

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) <= kLargestOpenedFile;
    if (ok) {
        try {
            bytes.resize(static_cast<size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
        ok = ReadFile(file, &bytes[done], chunk, &got, nullptr) && got > 0;
        done += got;
    }
    CloseHandle(file);
    return ok;
}

// The existence test sees ordinary files only: not folders, hidden or system files.
bool OrdinaryFileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// A failed open or save is said, so that it never passes for a success.
void SayFailed(HWND owner, const char16_t* text) {
    MessageBoxW(owner, Wide(text), L"Korvimo", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool Form1::ShowFileDialog(bool save, const std::u16string& filter, int* filterIndex) {
    std::u16string dialogFilter = DialogFilter(filter);
    std::wstring buffer(32768, L'\0');
    dialogFileName_.copy(reinterpret_cast<char16_t*>(buffer.data()), std::min<size_t>(dialogFileName_.size(), 32767));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = reinterpret_cast<const wchar_t*>(dialogFilter.c_str());
    dialog.nFilterIndex = filterIndex ? static_cast<DWORD>(*filterIndex) : 0;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER;  // otherwise the platform's own defaults
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return false;
    dialogFileName_ = U16(buffer.c_str());
    if (filterIndex) *filterIndex = static_cast<int>(dialog.nFilterIndex);
    // A name typed without an extension gets the chosen type's, as the type box promised.
    if (save && !dialogFileName_.empty())
        dialogFileName_ = WithFilterExtension(dialogFileName_, filter, static_cast<int>(dialog.nFilterIndex));
    return !dialogFileName_.empty();
}

void Form1::open_Click() {
    if (!ShowFileDialog(false, kOpenFilter, nullptr)) return;
    if (!history_.TextSlotFree()) return;
    std::wstring path = Wide(dialogFileName_);
    std::u16string text;
    bool read = false;
    try {
        std::string bytes;
        read = ReadWholeFile(path, bytes);
        if (read) text = TextFromFile(bytes, SystemCodec());
    } catch (const std::bad_alloc&) {
        read = false;
    }
    if (!read) return SayFailed(hwnd_, kOpenFailed);  // nothing stored, no node
    const int32_t slot = history_.AppendText(text);
    if (slot < 0) return TellOutOfMemory(hwnd_);
    AddClipNode("T", MakeTextKey(slot), dialogFileName_, kImageText);
}

bool Form1::AskReplace() {
    return MessageBoxW(hwnd_, Wide(kReplaceQuestion), L"Korvimo", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void Form1::save_Click() {
    dialogFileName_.clear();
    std::string key;
    if (!SelectedNodeKey(key)) return;
    NodeKey node = ClassifyKey(key);
    if (node.kind == NodeKind::TextEntry) {
        int filterIndex = 1;
        if (!ShowFileDialog(true, kSaveTextFilter, &filterIndex)) return;
        std::wstring path = Wide(dialogFileName_);
        if (OrdinaryFileExists(path) && !AskReplace()) return;
        // The whole entry, as edited, whatever part of it the box shows: a
        // NUL ends what the box holds, never what the entry does. Our own
        // share of it, as the questions below let other commands run.
        if (!StoreText1()) return;
        const TextRef text = history_.TextClips[node.slot];
        bool written = false;
        try {
            const std::optional<bool> ansiHoldsIt = AnsiHoldsText(text, SystemCodec());
            int answer = IDNO;
            if (ansiHoldsIt == false)
                answer = MessageBoxW(hwnd_, Wide(kUtf8Question), L"Korvimo", MB_YESNOCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL) return;
            const TextFileEncoding encoding = answer == IDYES ? TextFileEncoding::Utf8 : TextFileEncoding::Ansi;
            ReplacingFile file(path);
            // A file not whole is never put in the target's place.
            written = ansiHoldsIt.has_value() && file.Open() && WriteTextFile(text, SystemCodec(), encoding, file) &&
                      file.Commit();
        } catch (const std::bad_alloc&) {
            written = false;
        }
        if (!written) SayFailed(hwnd_, kSaveFailed);
    } else if (node.kind == NodeKind::PicEntry) {
        int filterIndex = 1;
        if (!ShowFileDialog(true, kSavePictureFilter, &filterIndex)) return;
        std::wstring path = Wide(dialogFileName_);
        if (OrdinaryFileExists(path) && !AskReplace()) return;
        // The bitmap on screen, not a second one. A GIF save lets other
        // commands run while it encodes, and they may move Image1 on or
        // delete the entry: the save holds its own share of the bitmap.
        SharedBitmap picture = Image1Bitmap();
        bool written = false;
        switch (PictureFormatForFilter(filterIndex)) {
            case PictureFormat::Bitmap: written = picture && WriteBitmapFile(picture.get(), path); break;
            case PictureFormat::Gif: written = picture && SavePictureAsGif(hwnd_, picture.get(), path); break;
            case PictureFormat::None: return;
        }
        // The owner may have closed while a GIF was encoded.
        if (!written && IsWindow(hwnd_)) SayFailed(hwnd_, kSaveFailed);
    }
}

}  // namespace korvimo
