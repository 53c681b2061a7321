#include "app/clip_history.h"

#include <utility>

namespace korvimo {

int32_t ClipHistory::AppendText(std::u16string text) {
    if (!TextSlotFree()) return -1;
    TextClips[TextCount] = std::move(text);
    return TextCount++;
}

}  // namespace korvimo
