#include <gtest/gtest.h>

#include <vector>

#include "app/tray_record.h"

namespace korvimo {
namespace {

// A stand-in for a double-byte ANSI code page: ASCII is one byte, every other
// character two (a lead byte >= 0x81 and a trail byte), as in code page 936.
struct FakeDbcsCodec : AnsiCodec {
    std::string ToAnsi(const std::u16string& text) const override {
        std::string out;
        for (char16_t c : text) {
            if (c >= 0x80) out.push_back(static_cast<char>(0x81 + (c >> 8) % 0x7E));  // the lead
            out.push_back(static_cast<char>(c < 0x80 ? c : 0x40 + (c & 0x3F)));
        }
        return out;
    }
    std::u16string FromAnsi(const std::string&) const override { return {}; }  // the record only encodes
};

uint32_t U32At(const std::array<uint8_t, kNotifyRecordSize>& r, size_t at) {
    return r[at] | r[at + 1] << 8 | r[at + 2] << 16 | static_cast<uint32_t>(r[at + 3]) << 24;
}

std::string TipBytes(const std::array<uint8_t, kNotifyRecordSize>& r) {
    return std::string(r.begin() + 24, r.end());
}

TEST(NotifyRecordTest, FieldsSitAtTheirOffsetsAndTheTipIsTextNulThenSpaces) {
    FakeDbcsCodec codec;
    NotifyRecord record;
    record.hWnd = 0x00010203;
    record.hIcon = 0xA0B0C0D0;
    record.SetTip(u"Korvimo");
    auto bytes = record.Bytes(codec);
    const uint32_t fields[] = {88, 0x00010203, 1, 7, 0x0200, 0xA0B0C0D0};
    for (size_t i = 0; i < std::size(fields); ++i) EXPECT_EQ(U32At(bytes, 4 * i), fields[i]) << i;
    EXPECT_EQ(TipBytes(bytes), std::string("Korvimo") + '\0' + std::string(56, ' '));
}

TEST(NotifyRecordTest, LongTipIsCutAtSixtyThreeBytesOnACharacterBoundary) {
    FakeDbcsCodec codec;
    // After "ab" the double-byte characters can never end on byte 63, so the
    // one that would straddle it is dropped whole; so is a surrogate pair.
    const struct {
        std::u16string tip, kept;
    } cases[] = {
        {u"ab" + std::u16string(40, u'\u4E2D'), u"ab" + std::u16string(30, u'\u4E2D')},
        {std::u16string(70, u'a'), std::u16string(63, u'a')},
        {std::u16string(60, u'a') + u"\U0010FFFF", std::u16string(60, u'a')},
    };
    for (const auto& c : cases) {
        NotifyRecord record;
        record.SetTip(c.tip);
        std::string want = codec.ToAnsi(c.kept) + '\0';
        want.resize(64, ' ');
        EXPECT_EQ(TipBytes(record.Bytes(codec)), want);
    }
}

TEST(TrayDecodeTest, NoticeDuringAHandlerIsDropped) {
    TrayEventGate gate;
    std::vector<TrayEvent> raised;
    gate.OnNotify(0x0205, [&](TrayEvent outer) {
        raised.push_back(outer);
        // A popup menu's loop lets another notice in while we are busy.
        gate.OnNotify(0x0203, [&](TrayEvent inner) { raised.push_back(inner); });
    });
    gate.OnNotify(0x00000203, [&](TrayEvent e) { raised.push_back(e); });
    // Only the low word carries the message number.
    gate.OnNotify(0x12340202, [&](TrayEvent e) { raised.push_back(e); });
    EXPECT_EQ(raised, (std::vector<TrayEvent>{TrayEvent::RButtonUp, TrayEvent::LButtonDblClick,
                                              TrayEvent::LButtonUp}));
}

}  // namespace
}  // namespace korvimo
