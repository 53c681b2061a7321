#pragma once
#include <windows.h>

#include "app/capture.h"
#include "store/clip_store.h"

namespace korvimo {

class SystemClipboard : public ClipboardSource {
public:
    SystemClipboard(HWND owner, ClipStore& store) : owner_(owner), store_(store) {}
    bool Read(ClipboardSnapshot& out, const ContentWanted& wanted = {}) override;

private:
    HWND owner_;
    ClipStore& store_;
};

// Opens the clipboard, trying again for a moment while another program holds it.
bool OpenClipboardPatiently(HWND owner);
// The registered format that marks our own copy of an entry.
UINT CopyBackFormat();

// Empties the system clipboard (the tool menu's command).
void EmptySystemClipboard(HWND owner);

}  // namespace korvimo
