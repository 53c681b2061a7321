#include "browser/splitter.h"

#include "browser/layout.h"

namespace korvimo {

SplitterCommands SplitterDrag::MouseDown(int button, double x, const SplitterView& view) {
    SplitterCommands out;
    if (button == kLeftButton) {
        dragging_ = true;
        out.color = kSplitterDragColor;
        lastX_ = WholeTwips(x);
        return out;
    }
    // Another button during a drag drops the splitter where the pointer is.
    if (lastX_ != kNoSplitterDrag) out = Drop(x, view);
    lastX_ = kNoSplitterDrag;
    return out;
}

SplitterCommands SplitterDrag::MouseMove(double x, const SplitterView& view) {
    SplitterCommands out;
    if (dragging_) Follow(WholeTwips(x), view, out);
    return out;
}

SplitterCommands SplitterDrag::MouseUp(double x, const SplitterView& view) {
    if (lastX_ == kNoSplitterDrag) {
        dragging_ = false;
        return {};
    }
    return Drop(x, view);
}

void SplitterDrag::Follow(int32_t x, const SplitterView& view, SplitterCommands& out) {
    if (x == lastX_) return;
    int32_t height = WholeTwips(view.innerHeight - 2.0 * view.paneMargin);
    // A negative height cannot be given to a window: the splitter stays put.
    if (height >= 0) {
        int64_t left = int64_t{view.splitterLeft} + x;
        out.moveSplitter = TwipRect{static_cast<int32_t>(left), kPaneTop, kSplitterWidth, height};
    }
    lastX_ = x;
}

SplitterCommands SplitterDrag::Drop(double x, const SplitterView& view) {
    SplitterCommands out;
    Follow(WholeTwips(x), view, out);
    lastX_ = kNoSplitterDrag;
    out.color = kSplitterRestColor;

    int32_t left = out.moveSplitter ? out.moveSplitter->left : view.splitterLeft;
    int64_t width;
    if (left > kMinTreeEdge && left < view.innerWidth - kMinTreeEdge)
        width = int64_t{left} - view.treeLeft;
    else if (left <= kMinTreeEdge)
        width = kMinTreeEdge;
    else
        width = WholeTwips(view.innerWidth - kMinTreeEdge);
    if (width >= 0) out.treeWidth = static_cast<int32_t>(width);

    out.runLayout = true;
    dragging_ = false;
    return out;
}

}  // namespace korvimo
