#pragma once
// The tray icon's notify record exactly as the shell's ANSI call takes it
// (88 bytes, little-endian), and the decoding of the icon's mouse notices.
#include <array>
#include <cstdint>
#include <string>

#include "common/ansi_codec.h"

namespace korvimo {

inline constexpr size_t kNotifyRecordSize = 88;
inline constexpr size_t kTipFieldChars = 64;
inline constexpr uint32_t kNotifyFlags = 7;  // message + icon + tip
inline constexpr uint32_t kTrayCallbackMessage = 0x0200;
inline constexpr uint32_t kNimAdd = 0, kNimModify = 1, kNimDelete = 2;

class NotifyRecord {
public:
    uint32_t hWnd = 0;
    uint32_t hIcon = 0;

    // The tip as held: text, one NUL, then spaces, exactly 64 characters.
    void SetTip(const std::u16string& text);
    const std::u16string& TipField() const { return tipField_; }

    // The record's bytes. The tip becomes at most 63 ANSI bytes, cut on a
    // character boundary, then the NUL the shell needs, then spaces.
    std::array<uint8_t, kNotifyRecordSize> Bytes(const AnsiCodec& codec) const;

private:
    std::u16string tipField_ = std::u16string(kTipFieldChars, u' ');
};

enum class TrayEvent { None, RButtonDown, RButtonUp, RButtonDblClick, LButtonDown, LButtonUp, LButtonDblClick };

// The shell reports a click with the mouse message number in lParam.
TrayEvent DecodeTrayMessage(uint32_t messageNumber);

// Drops notices that arrive while a handler is still running (a popup menu
// runs a nested message loop), so events never nest.
class TrayEventGate {
public:
    template <typename Raise>
    void OnNotify(uint32_t lParam, Raise&& raise) {
        TrayEvent event = DecodeTrayMessage(lParam & 0xFFFFu);
        if (busy_) return;
        busy_ = true;
        if (event != TrayEvent::None) raise(event);
        busy_ = false;
    }

private:
    bool busy_ = false;
};

}  // namespace korvimo
