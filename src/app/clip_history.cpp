#include "app/clip_history.h"

#include <utility>

namespace korvimo {

int32_t ClipHistory::AppendText(std::u16string_view text) {
    if (!TextSlotFree()) return kNoSlotLeft;
    TextRef kept = Store ? Store->PutText(text) : nullptr;
    if (!kept) return kNoRoom;
    TextClips[TextCount] = std::move(kept);
    return TextCount++;
}

bool ClipHistory::RewriteText(int32_t slot, std::u16string_view text) {
    if (slot < 0 || slot >= TextCount) return false;
    TextRef kept = Store ? Store->PutText(text) : nullptr;
    if (!kept) return false;
    TextClips[slot] = std::move(kept);
    return true;
}

}  // namespace korvimo
