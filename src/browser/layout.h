#pragma once
// The main window's layout: tree, splitter and viewer below the toolbar
// strip, Text1 and Image1 inside the viewer. A pure function of the window's
// inner size and the controls' current rectangles, so that every corner case
// can be checked without a window.
#include <cstdint>

#include "browser/geometry.h"

namespace korvimo {

inline constexpr int16_t kDefaultPaneMargin = 50;
inline constexpr int32_t kPaneTop = 400;        // below the toolbar strip
inline constexpr int32_t kSplitterWidth = 50;
inline constexpr int32_t kText1Inset = 40;      // Text1 is this much smaller than Pic
inline constexpr int32_t kViewerInset = 60;     // Pic's inner area, stretched Image1

struct LayoutInput {
    // Inner size of the main window in twips (SW, SH).
    double innerWidth = 0;
    double innerHeight = 0;
    int16_t paneMargin = kDefaultPaneMargin;
    bool image1Stretch = false;
    // Current places and sizes; Text1 and Image1 relative to Pic's interior.
    TwipRect tree, pic, splitter, text1, image1;
};

struct LayoutResult {
    TwipRect tree, pic, splitter, text1, image1;
    // The caller runs lrud afterwards, always.
};

// A step that would give a control a negative width or height is skipped,
// so the control keeps its previous place and size; the others still move.
LayoutResult ComputeLayout(const LayoutInput& in);

// Keeps Image1 within Pic's inner area: bottom and right edges first, then
// the top-left corner, so a picture smaller than the viewer sits at 0,0.
TwipRect AnchorImage(TwipRect image, int32_t picWidth, int32_t picHeight);

}  // namespace korvimo
