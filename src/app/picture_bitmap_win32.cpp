#include "app/picture_bitmap_win32.h"

#include <cstring>

#include "app/picture_store.h"

namespace korvimo {

OwnedBitmap MakePictureBitmap(const PictureRef& picture) {
    const auto* stored = dynamic_cast<const StoredPicture*>(picture.get());
    if (!stored) return nullptr;
    std::vector<uint8_t> dib = stored->Dib();
    if (dib.empty()) return nullptr;
    const DibLayout& layout = stored->Layout();
    std::vector<uint8_t> info = BitmapInfoForGdi(dib.data(), layout);
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                        &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    for (int32_t row = 0; row < layout.height; ++row)
        std::memcpy(static_cast<uint8_t*>(bits) + static_cast<size_t>(row) * layout.rowBytes,
                    DibRow(dib.data(), layout, row), layout.rowBytes);
    GdiFlush();
    return bitmap;
}

}  // namespace korvimo
