#pragma once
// The one GDI bitmap a stored picture gets while it is shown, which a save
// of it shares.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "store/picture.h"

namespace korvimo {

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using SharedBitmap = std::shared_ptr<std::remove_pointer_t<HBITMAP>>;

// A DIB section with exactly the stored pixels, in the order they were
// copied in; nothing when the picture cannot be read back or GDI has no
// room for it.
SharedBitmap MakePictureBitmap(const PictureRef& picture);

}  // namespace korvimo
