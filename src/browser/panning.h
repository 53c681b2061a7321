#pragma once
// Panning of a picture larger than the viewer with the four arrow images,
// and lrud, which shows and places the arrows for where the picture now is.
#include <cstdint>
#include <optional>

#include "browser/geometry.h"

namespace korvimo {

enum PanDirectionValue : int32_t {
    kPanNone = 0,
    kPanLeft = 1,   // ImageL: the picture slides right, showing its left part
    kPanRight = 2,  // ImageR
    kPanUp = 3,     // ImageU
    kPanDown = 4,   // ImageD
};

inline constexpr int32_t kPanStep = 100;         // twips per tick of Timer1
inline constexpr int32_t kPanTimerInterval = 100;  // milliseconds

struct PanTickResult {
    TwipRect image1;
    bool stopTimer = false;  // the step was cut short at an edge
};

// One tick of Timer1: step, then clamp to Pic's inner area (bottom, right,
// top, left, in that order). The caller runs lrud afterwards.
PanTickResult PanTick(int32_t direction, TwipRect image1, int32_t picWidth, int32_t picHeight);

// PanDirection and whether Timer1 runs. A press on an arrow (any button)
// starts panning, a release stops it. A clamp stops the timer only, so the
// direction stays until the next release.
struct PanState {
    int32_t PanDirection = kPanNone;
    bool timerEnabled = false;

    void ArrowDown(int32_t direction) {
        timerEnabled = true;
        PanDirection = direction;
    }
    void ArrowUp() {
        timerEnabled = false;
        PanDirection = kPanNone;
    }
    // Timer1_Timer: returns Image1's new rectangle and switches the timer
    // off when the picture reached an edge.
    TwipRect Tick(TwipRect image1, int32_t picWidth, int32_t picHeight) {
        PanTickResult r = PanTick(PanDirection, image1, picWidth, picHeight);
        if (r.stopTimer) timerEnabled = false;
        return r.image1;
    }
};

struct ArrowPlacement {
    bool visible = false;
    // Where to put the arrow; none means leave it where it is.
    std::optional<int32_t> left, top;
};

struct ArrowPlan {
    ArrowPlacement up, down, left, right;  // ImageU, ImageD, ImageL, ImageR
};

// lrud. Arrows form a cross around (W - 615, H - 615); each is shown only
// where the picture reaches beyond the viewer's inner area, none at all while
// Image1 is stretched or hidden.
ArrowPlan PlanArrows(bool image1Visible, bool image1Stretch, TwipRect image1, int32_t picWidth,
                     int32_t picHeight);

}  // namespace korvimo
