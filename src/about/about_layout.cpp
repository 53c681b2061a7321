#include "about/about_layout.h"

#include "common/rounding.h"

namespace korvimo {

int32_t CentredOrigin(int32_t screen, int32_t size) {
    return RoundHalfEven((static_cast<double>(screen) - size) / 2.0);
}

AboutGeometry AboutBoxGeometry(int32_t screen_width, int32_t screen_height, int32_t dpi_x,
                               int32_t dpi_y) {
    AboutGeometry g{};
    g.width = TwipsToPixels(kAboutWidthTwips, dpi_x);
    g.height = TwipsToPixels(kAboutHeightTwips, dpi_y);
    g.left = CentredOrigin(screen_width, g.width);
    g.top = CentredOrigin(screen_height, g.height);
    g.label_left = TwipsToPixels(kAboutLabelLeftTwips, dpi_x);
    g.label_top = TwipsToPixels(kAboutLabelTopTwips, dpi_y);
    return g;
}

}  // namespace korvimo
