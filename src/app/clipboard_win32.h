#pragma once
#include <windows.h>

#include "app/capture.h"

namespace korvimo {

// A copy of a clipboard bitmap, owned by the history slot that holds it.
class BitmapPicture : public Picture {
public:
    explicit BitmapPicture(HBITMAP bitmap);
    ~BitmapPicture() override;
    BitmapPicture(const BitmapPicture&) = delete;
    BitmapPicture& operator=(const BitmapPicture&) = delete;
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    HBITMAP Handle() const { return bitmap_; }

private:
    HBITMAP bitmap_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

HBITMAP BitmapOf(const PictureRef& picture);

class SystemClipboard : public ClipboardSource {
public:
    explicit SystemClipboard(HWND owner) : owner_(owner) {}
    bool Read(ClipboardSnapshot& out) override;

private:
    HWND owner_;
};

// Empties the system clipboard (the tool menu's command).
void EmptySystemClipboard(HWND owner);

}  // namespace korvimo
