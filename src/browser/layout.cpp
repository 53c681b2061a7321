#include "browser/layout.h"

namespace korvimo {

namespace {

// Sums are taken in 64 bits so that absurd inputs cannot overflow before the
// sign test.
void MoveIfValid(TwipRect& control, int64_t left, int64_t top, int64_t width, int64_t height) {
    if (width < 0 || height < 0) return;
    control = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(width),
               static_cast<int32_t>(height)};
}

void SetSizeIfValid(TwipRect& control, int64_t width, int64_t height) {
    // Height and width are set one after the other; each may fail alone.
    if (height >= 0) control.height = static_cast<int32_t>(height);
    if (width >= 0) control.width = static_cast<int32_t>(width);
}

}  // namespace

TwipRect AnchorImage(TwipRect image, int32_t picWidth, int32_t picHeight) {
    int64_t innerH = int64_t{picHeight} - kViewerInset;
    int64_t innerW = int64_t{picWidth} - kViewerInset;
    if (innerH > int64_t{image.top} + image.height)
        image.top = static_cast<int32_t>(innerH - image.height);
    if (innerW > int64_t{image.left} + image.width)
        image.left = static_cast<int32_t>(innerW - image.width);
    if (image.top > 0) image.top = 0;
    if (image.left > 0) image.left = 0;
    return image;
}

LayoutResult ComputeLayout(const LayoutInput& in) {
    LayoutResult out;
    out.tree = in.tree;
    out.pic = in.pic;
    out.splitter = in.splitter;
    out.text1 = in.text1;
    out.image1 = in.image1;

    const int32_t m = in.paneMargin;
    const int64_t h = WholeTwips(in.innerHeight - 2.0 * m);
    const int64_t tw = in.tree.width;
    const int64_t vx = WholeTwips(static_cast<double>(in.tree.width) + m + kSplitterWidth - 1);
    const int64_t vw = WholeTwips(in.innerWidth - static_cast<double>(vx) - m);
    const int64_t paneHeight = h - 300;

    MoveIfValid(out.tree, m - 1, kPaneTop, tw, paneHeight);
    MoveIfValid(out.pic, vx, kPaneTop, vw + 1, paneHeight);
    MoveIfValid(out.splitter, int64_t{out.tree.width} + m - 1, kPaneTop, kSplitterWidth, paneHeight);

    SetSizeIfValid(out.text1, int64_t{out.pic.width} - kText1Inset,
                   int64_t{out.pic.height} - kText1Inset);
    if (in.image1Stretch)
        SetSizeIfValid(out.image1, int64_t{out.pic.width} - kViewerInset,
                       int64_t{out.pic.height} - kViewerInset);

    out.image1 = AnchorImage(out.image1, out.pic.width, out.pic.height);
    return out;
}

}  // namespace korvimo
