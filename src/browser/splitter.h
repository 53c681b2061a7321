#pragma once
// The splitter between tree and viewer, dragged with the left mouse button.
// The drag follows the pointer freely; only the drop limits the tree's width.
// Each handler returns what the window has to do, in this order: move the
// splitter, colour it, set the tree's width, run the layout.
#include <cstdint>
#include <optional>

#include "browser/geometry.h"

namespace korvimo {

inline constexpr uint32_t kSplitterDragColor = 0x808080;    // grey
inline constexpr uint32_t kSplitterRestColor = 0x8000000F;  // system button face
inline constexpr int32_t kNoSplitterDrag = 0x7FFFFFFF;
inline constexpr int32_t kMinTreeEdge = 60;  // a drop keeps 60 twips each side
inline constexpr int kLeftButton = 1;

// What the handlers read from the window at the time of the event.
struct SplitterView {
    int32_t splitterLeft = 0;  // twips, in the main window's inner area
    int32_t treeLeft = 0;
    double innerWidth = 0;     // SW
    double innerHeight = 0;    // SH
    int16_t paneMargin = 50;
};

struct SplitterCommands {
    std::optional<TwipRect> moveSplitter;
    std::optional<uint32_t> color;
    std::optional<int32_t> treeWidth;
    bool runLayout = false;  // then lrud, as after every layout
};

class SplitterDrag {
public:
    // x is in the splitter's own coordinates (0 at its left edge), in twips.
    SplitterCommands MouseDown(int button, double x, const SplitterView& view);
    SplitterCommands MouseMove(double x, const SplitterView& view);
    SplitterCommands MouseUp(double x, const SplitterView& view);

private:
    // Moves the splitter's left edge under the pointer when x changed.
    void Follow(int32_t x, const SplitterView& view, SplitterCommands& out);
    SplitterCommands Drop(double x, const SplitterView& view);

    bool dragging_ = false;
    int32_t lastX_ = kNoSplitterDrag;
};

}  // namespace korvimo
