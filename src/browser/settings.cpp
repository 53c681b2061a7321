#include "browser/settings.h"

#include "browser/layout.h"

namespace korvimo {

SettingsControls FillSettingsControls(const SettingsHost& host) {
    SettingsControls c;
    c.check1 = host.DetectText();
    c.check2 = host.DetectPic();
    c.option2 = host.Stretch();
    c.option1 = !c.option2;
    return c;
}

void ApplySettingsControls(const SettingsControls& controls, SettingsHost& host) {
    host.SetDetectText(controls.check1);
    host.SetDetectPic(controls.check2);
    host.SetStretch(controls.option2);
    host.Lrud();
}

StretchedSize StretchedImageSize(int32_t picWidth, int32_t picHeight) {
    StretchedSize size;
    int64_t width = int64_t{picWidth} - kViewerInset;
    int64_t height = int64_t{picHeight} - kViewerInset;
    if (width >= 0) size.width = static_cast<int32_t>(width);
    if (height >= 0) size.height = static_cast<int32_t>(height);
    return size;
}

}  // namespace korvimo
