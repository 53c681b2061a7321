// The main window moved to a monitor of another DPI. The layout is kept in
// twips, so it only has to be run again at the new scale; fonts and pictures
// are made afresh for it, as at start-up.
#include "app/form1_win32.h"
#include "resource_ids.h"
#include "win32/dpi_art_win32.h"

namespace korvimo {

void Form1::Form_DpiChanged(int dpi, const RECT& place) {
    if (dpi <= 0 || dpi == scale_.dpiY) return;
    scale_ = ScreenScale::OfDpi(dpi);

    HFONT oldFont = font_;
    font_ = CreateMessageFont(dpi);
    for (HWND control : {TreeView, Toolbar1, Text1}) SendMessageW(control, WM_SETFONT, (WPARAM)font_, TRUE);
    if (oldFont) DeleteObject(oldFont);

    HIMAGELIST oldImages = ImageList1, oldDisabled = disabledImages_;
    ImageList1 = LoadImageStrip(instance_, IDB_IMAGELIST, dpi);
    disabledImages_ = LoadImageStrip(instance_, IDB_IMAGELIST_DISABLED, dpi);
    TreeView_SetImageList(TreeView, ImageList1, TVSIL_NORMAL);
    SendMessageW(Toolbar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1));
    SendMessageW(Toolbar1, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_));
    if (oldImages) ImageList_Destroy(oldImages);
    if (oldDisabled) ImageList_Destroy(oldDisabled);
    // The arrows load their pictures for the DPI they are told.
    for (HWND arrow : {ImageU, ImageD, ImageL, ImageR}) SendMessageW(arrow, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);

    // A picture shown at its own size keeps its pixels, so its size in twips changes.
    if (!image1Stretch_ && image1Picture_) {
        TwipRect own = PictureSize(image1Picture_);
        image1Rect_.width = own.width;
        image1Rect_.height = own.height;
    }
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The toolbar takes its height from its new pictures and font, and the width of the new client.
    SendMessageW(Toolbar1, TB_AUTOSIZE, 0, 0);
    Form_Resize();  // the size in pixels may not have changed, the scale has
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace korvimo
