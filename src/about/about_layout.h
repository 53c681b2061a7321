#pragma once
// Geometry of the about box, worked out in pixels from the twips in which
// the window was designed, so that it keeps its proportions at any DPI.
#include <cstdint>

#include "common/twips.h"

namespace korvimo {

// Client size and label position of the about box, in twips.
constexpr int32_t kAboutWidthTwips = 5955;
constexpr int32_t kAboutHeightTwips = 3060;
constexpr int32_t kAboutLabelLeftTwips = 3840;
constexpr int32_t kAboutLabelTopTwips = 120;

// Left (or top) edge that centres a window of `size` pixels on a screen of
// `screen` pixels, rounded halves to even; negative when the window is the
// larger, so that it overhangs both edges equally.
int32_t CentredOrigin(int32_t screen, int32_t size);

struct AboutGeometry {
    int32_t left, top, width, height;  // window, screen pixels
    int32_t label_left, label_top;     // label, client pixels
};

AboutGeometry AboutBoxGeometry(int32_t screen_width, int32_t screen_height, int32_t dpi_x,
                               int32_t dpi_y);

}  // namespace korvimo
