#include <gtest/gtest.h>

#include <vector>

#include "app/tray_record.h"
#include "fake_codec.h"

namespace korvimo {
namespace {

uint32_t U32At(const std::array<uint8_t, kNotifyRecordSize>& r, size_t at) {
    return r[at] | r[at + 1] << 8 | r[at + 2] << 16 | static_cast<uint32_t>(r[at + 3]) << 24;
}

TEST(NotifyRecordTest, FieldsSitAtTheirOffsets) {
    testing::FakeDbcsCodec codec;
    NotifyRecord record;
    record.hWnd = 0x00010203;
    record.hIcon = 0xA0B0C0D0;
    record.SetTip(u"Korvimo");
    auto bytes = record.Bytes(codec);
    EXPECT_EQ(U32At(bytes, 0), 88u);
    EXPECT_EQ(U32At(bytes, 4), 0x00010203u);
    EXPECT_EQ(U32At(bytes, 8), 1u);
    EXPECT_EQ(U32At(bytes, 12), 7u);
    EXPECT_EQ(U32At(bytes, 16), 0x0200u);
    EXPECT_EQ(U32At(bytes, 20), 0xA0B0C0D0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[24]), 7), "Korvimo");
    EXPECT_EQ(bytes[31], 0);
    for (size_t i = 32; i < 88; ++i) EXPECT_EQ(bytes[i], ' ') << i;
}

TEST(NotifyRecordTest, TipFieldIsSixtyFourCharactersTextNulSpaces) {
    NotifyRecord record;
    record.SetTip(u"Korvimo");
    std::u16string expected = u"Korvimo";
    expected.push_back(u'\0');
    expected.resize(64, u' ');
    EXPECT_EQ(record.TipField(), expected);
    record.SetTip(std::u16string(80, u'x'));
    EXPECT_EQ(record.TipField(), std::u16string(64, u'x'));
}

TEST(NotifyRecordTest, LongTipIsCutAtSixtyThreeBytesOnACharacterBoundary) {
    testing::FakeDbcsCodec codec;
    NotifyRecord record;
    // Two ASCII bytes then double-byte characters: the tip can never end on
    // byte 63, so the character that would straddle it must be dropped whole.
    record.SetTip(u"ab" + std::u16string(40, u'\u4E2D'));
    auto bytes = record.Bytes(codec);
    // "ab" + 30 characters = 62 bytes; the 31st would need bytes 63 and 64.
    EXPECT_EQ(bytes[24 + 62], 0);
    EXPECT_NE(bytes[24 + 61], ' ');
    EXPECT_EQ(bytes[24 + 63], ' ');

    record.SetTip(std::u16string(70, u'a'));
    bytes = record.Bytes(codec);
    EXPECT_EQ(bytes[24 + 62], 'a');
    EXPECT_EQ(bytes[24 + 63], 0);

    // A surrogate pair (U+10FFFF, the highest) is kept or dropped whole.
    record.SetTip(std::u16string(60, u'a') + u"\U0010FFFF");
    bytes = record.Bytes(codec);
    EXPECT_EQ(bytes[24 + 60], 0);
}

TEST(TrayDecodeTest, MouseMessagesMapToTheSixEvents) {
    EXPECT_EQ(DecodeTrayMessage(0x0201), TrayEvent::LButtonDown);
    EXPECT_EQ(DecodeTrayMessage(0x0202), TrayEvent::LButtonUp);
    EXPECT_EQ(DecodeTrayMessage(0x0203), TrayEvent::LButtonDblClick);
    EXPECT_EQ(DecodeTrayMessage(0x0204), TrayEvent::RButtonDown);
    EXPECT_EQ(DecodeTrayMessage(0x0205), TrayEvent::RButtonUp);
    EXPECT_EQ(DecodeTrayMessage(0x0206), TrayEvent::RButtonDblClick);
    EXPECT_EQ(DecodeTrayMessage(0x0200), TrayEvent::None);
    EXPECT_EQ(DecodeTrayMessage(0x0207), TrayEvent::None);
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
    EXPECT_FALSE(gate.Busy());
}

}  // namespace
}  // namespace korvimo
