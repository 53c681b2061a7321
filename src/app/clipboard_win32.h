#pragma once
#include <windows.h>

#include "app/capture.h"
#include "store/clip_store.h"

namespace korvimo {

class SystemClipboard : public ClipboardSource {
public:
    SystemClipboard(HWND owner, ClipStore& store) : owner_(owner), store_(store) {}
    bool Read(ClipboardSnapshot& out, const PictureWanted& wanted = {}) override;

private:
    HWND owner_;
    ClipStore& store_;
};

// Empties the system clipboard (the tool menu's command).
void EmptySystemClipboard(HWND owner);

}  // namespace korvimo
