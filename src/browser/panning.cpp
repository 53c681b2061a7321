#include "browser/panning.h"

#include <limits>

#include "browser/layout.h"

namespace korvimo {

namespace {

int32_t Step(int32_t position, int32_t delta) {
    int64_t moved = int64_t{position} + delta;
    if (moved > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (moved < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(moved);
}

}  // namespace

PanTickResult PanTick(int32_t direction, TwipRect image1, int32_t picWidth, int32_t picHeight) {
    switch (direction) {
    case kPanLeft: image1.left = Step(image1.left, kPanStep); break;
    case kPanRight: image1.left = Step(image1.left, -kPanStep); break;
    case kPanUp: image1.top = Step(image1.top, kPanStep); break;
    case kPanDown: image1.top = Step(image1.top, -kPanStep); break;
    default: break;
    }

    // The timer stops when the step ran into an edge. A rule that pulls the
    // picture away and the next that puts it back (a picture narrower than
    // the viewer panned up or down) is no edge: panning goes on.
    PanTickResult out;
    out.image1 = AnchorImage(image1, picWidth, picHeight);
    out.stopTimer = out.image1 != image1;
    return out;
}

ArrowPlan PlanArrows(bool image1Visible, bool image1Stretch, TwipRect image1, int32_t picWidth,
                     int32_t picHeight) {
    ArrowPlan plan;
    if (image1Visible && !image1Stretch) {
        const int32_t w = picWidth;
        const int32_t h = picHeight;
        plan.up = {true, w - 615, h - 855};
        plan.down = {true, w - 615, h - 375};
        plan.left = {true, w - 855, h - 615};
        plan.right = {true, w - 375, h - 615};
        const int64_t bottom = int64_t{image1.top} + image1.height;
        const int64_t right = int64_t{image1.left} + image1.width;
        if (int64_t{h} - kViewerInset >= bottom) plan.down.visible = false;
        if (int64_t{w} - kViewerInset >= right) plan.right.visible = false;
        if (image1.top >= 0) plan.up.visible = false;
        if (image1.left >= 0) plan.left.visible = false;
    } else if (image1Visible) {
        // Stretched: placed as usual, then all hidden.
        plan = PlanArrows(true, false, image1, picWidth, picHeight);
        plan.up.visible = plan.down.visible = plan.left.visible = plan.right.visible = false;
    }
    return plan;
}

}  // namespace korvimo
