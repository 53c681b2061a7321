#pragma once
// Our side of the clipboard-viewer chain protocol. The chain only works if
// every member passes notices on and keeps its idea of the next window right,
// so these decisions are kept apart from the window procedure and tested.
#include <cstdint>

namespace korvimo {

inline constexpr uint32_t kWmDrawClipboard = 0x0308;
inline constexpr uint32_t kWmChangeCbChain = 0x030D;

// How long a message passed down the chain may keep us waiting. A viewer
// that stops answering would otherwise stop us with it: no more captures,
// no more input. A sound viewer answers within milliseconds, and one that
// answers late still gets the message; we only stop waiting for it.
inline constexpr uint32_t kPassOnTimeoutMs = 500;

struct ViewerChain {
    uint32_t NextViewer = 0;  // next window in the chain, 0 when we are last

    // A clipboard change: whether to pass WM_DRAWCLIPBOARD on (before reading).
    bool ForwardDrawClipboard() const { return NextViewer != 0; }

    // A window leaves the chain. Returns whether to forward the message; when
    // the leaving window is our next one, we link to the window after it.
    bool OnChangeCbChain(uint32_t leaving, uint32_t following) {
        if (leaving == NextViewer) {
            NextViewer = following;
            return false;
        }
        return NextViewer != 0;
    }
};

}  // namespace korvimo
