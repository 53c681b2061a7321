#include "app/tray_record.h"

#include <cstring>

namespace korvimo {

namespace {

void PutU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

void NotifyRecord::SetTip(const std::u16string& text) {
    std::u16string field = text;
    field.push_back(u'\0');
    field.resize(kTipFieldChars, u' ');
    tipField_ = field;
}

std::array<uint8_t, kNotifyRecordSize> NotifyRecord::Bytes(const AnsiCodec& codec) const {
    std::array<uint8_t, kNotifyRecordSize> record{};
    PutU32(&record[0], static_cast<uint32_t>(kNotifyRecordSize));
    PutU32(&record[4], hWnd);
    PutU32(&record[8], 1);
    PutU32(&record[12], kNotifyFlags);
    PutU32(&record[16], kTrayCallbackMessage);
    PutU32(&record[20], hIcon);

    uint8_t* tip = &record[24];
    std::memset(tip, ' ', kTipFieldChars);
    std::u16string text = tipField_.substr(0, tipField_.find(u'\0'));
    std::string ansi;
    for (size_t i = 0; i < text.size();) {
        size_t width = (IsHighSurrogate(text[i]) && i + 1 < text.size()) ? 2 : 1;
        std::string piece = codec.ToAnsi(text.substr(i, width));
        if (ansi.size() + piece.size() > kTipFieldChars - 1) break;
        ansi += piece;
        i += width;
    }
    std::memcpy(tip, ansi.data(), ansi.size());
    tip[ansi.size()] = 0;
    return record;
}

TrayEvent DecodeTrayMessage(uint32_t messageNumber) {
    switch (messageNumber) {
        case 0x0201: return TrayEvent::LButtonDown;
        case 0x0202: return TrayEvent::LButtonUp;
        case 0x0203: return TrayEvent::LButtonDblClick;
        case 0x0204: return TrayEvent::RButtonDown;
        case 0x0205: return TrayEvent::RButtonUp;
        case 0x0206: return TrayEvent::RButtonDblClick;
        default: return TrayEvent::None;
    }
}

}  // namespace korvimo
