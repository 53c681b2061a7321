#include "app/tray_win32.h"

#include <shellapi.h>

#include <cstring>

#include "win32/ansi_codec_win32.h"

namespace korvimo {

CTray::CTray() = default;

CTray::~CTray() {
    DeleteIcon();
    box_ = nullptr;
}

void CTray::PicBox(HWND box, HICON picture) {
    box_ = box;
    record_.hWnd = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(box));
    record_.hIcon = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(picture));
}

void CTray::TipText(const std::u16string& tip) {
    record_.SetTip(tip);
    Notify(kNimModify);
}

int16_t CTray::ShowIcon() {
    if (!box_) return 0;
    Notify(kNimAdd);
    return -1;
}

void CTray::DeleteIcon() { Notify(kNimDelete); }

void CTray::PictureChanged(HICON picture) {
    record_.hIcon = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(picture));
    Notify(kNimModify);
}

void CTray::Balloon(const std::u16string& text) {
    if (!box_) return;
    // A balloon needs the shell's longer record; everything else the icon
    // does keeps the 88-byte one. Same window and number: the same icon.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = box_;
    data.uID = 1;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(data.szInfoTitle, L"Korvimo", ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, Wide(text), ARRAYSIZE(data.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CTray::OnBoxMouseMove(LPARAM lParam) {
    gate_.OnNotify(static_cast<uint32_t>(lParam), [this](TrayEvent event) {
        if (OnEvent) OnEvent(event);
    });
}

void CTray::Notify(DWORD message) {
    auto bytes = record_.Bytes(SystemCodec());
#ifdef _WIN64
    // Handles are wider here; the shell takes the same values in its own layout.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(record_.hWnd));
    data.uID = 1;
    data.uFlags = kNotifyFlags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(static_cast<uintptr_t>(record_.hIcon));
    std::memcpy(data.szTip, &bytes[24], kTipFieldChars);
    Shell_NotifyIconA(message, &data);
#else
    static_assert(NOTIFYICONDATAA_V1_SIZE == kNotifyRecordSize, "the shell's ANSI record is 88 bytes");
    Shell_NotifyIconA(message, reinterpret_cast<PNOTIFYICONDATAA>(bytes.data()));
#endif
}

}  // namespace korvimo
