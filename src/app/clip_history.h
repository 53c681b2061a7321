#pragma once
// The clip history of one run: fixed arrays of text and picture slots, filled
// in order and never reused, so a node's key stays valid for the whole run.
// Both kinds live in the clip store.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/picture.h"
#include "store/stored_text.h"

namespace korvimo {

inline constexpr int32_t kLastSlot = 10000;
inline constexpr int32_t kSlotCount = kLastSlot + 1;

inline constexpr int16_t kVbTrue = -1;
inline constexpr int16_t kVbFalse = 0;

// Why AppendText stored nothing.
inline constexpr int32_t kNoSlotLeft = -1;
inline constexpr int32_t kNoRoom = -2;  // neither memory nor the files had room

struct ClipHistory {
    ClipStore* Store = nullptr;  // must be set before a text is stored
    // An empty slot (never used, or deleted) holds no text at all.
    std::vector<TextRef> TextClips = std::vector<TextRef>(kSlotCount);
    std::vector<PictureRef> PicClips = std::vector<PictureRef>(kSlotCount);
    int32_t TextCount = 0;  // next free text slot
    int32_t PicCount = 0;   // next free picture slot
    int16_t DetectText = kVbTrue;
    int16_t DetectPic = kVbTrue;
    // The clipboard's own bitmap handle behind the newest picture slot; the
    // slot holds a copy, so the duplicate test compares the clipboard handles.
    uint32_t LastPicHandle = 0;
    // A dropped clip is told once a run for each reason.
    bool ToldFull = false, ToldNoRoom = false;

    bool TextSlotFree() const { return TextCount <= kLastSlot; }
    bool PicSlotFree() const { return PicCount <= kLastSlot; }

    // Stores text in the next free slot and returns its number, or kNoSlotLeft
    // when every slot is used (further clips are dropped), or kNoRoom.
    int32_t AppendText(std::u16string_view text);

    // Puts an edited text into its slot; false, with the slot unchanged, when
    // there is no room for it.
    bool RewriteText(int32_t slot, std::u16string_view text);
};

}  // namespace korvimo
