#pragma once
// The one GDI bitmap a stored picture gets while it is shown or saved.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "app/picture.h"

namespace korvimo {

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A DIB section with exactly the stored pixels, bottom-up whatever order they
// were copied in; nothing when the picture cannot be read back or GDI has
// no room for it.
OwnedBitmap MakePictureBitmap(const PictureRef& picture);

}  // namespace korvimo
