#pragma once
// The clip history of one run: fixed arrays of text and picture slots, filled
// in order and never reused, so a node's key stays valid for the whole run.
#include <cstdint>
#include <string>
#include <vector>

#include "app/picture.h"

namespace korvimo {

inline constexpr int32_t kLastSlot = 10000;
inline constexpr int32_t kSlotCount = kLastSlot + 1;

inline constexpr int16_t kVbTrue = -1;
inline constexpr int16_t kVbFalse = 0;

struct ClipHistory {
    std::vector<std::u16string> TextClips = std::vector<std::u16string>(kSlotCount);
    std::vector<PictureRef> PicClips = std::vector<PictureRef>(kSlotCount);
    int32_t TextCount = 0;  // next free text slot
    int32_t PicCount = 0;   // next free picture slot
    int16_t DetectText = kVbTrue;
    int16_t DetectPic = kVbTrue;
    // The clipboard's own bitmap handle behind the newest picture slot; the
    // slot holds a copy, so the duplicate test compares the clipboard handles.
    uint32_t LastPicHandle = 0;

    bool TextSlotFree() const { return TextCount <= kLastSlot; }
    bool PicSlotFree() const { return PicCount <= kLastSlot; }

    // Stores text in the next free slot and returns its number, or -1 when
    // every slot is used (further clips are dropped).
    int32_t AppendText(std::u16string text);
};

}  // namespace korvimo
