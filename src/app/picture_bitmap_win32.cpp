#include "app/picture_bitmap_win32.h"

#include <cstring>
#include <new>

#include "store/clip_store.h"

namespace korvimo {

SharedBitmap MakePictureBitmap(const PictureRef& picture) {
    const auto* stored = dynamic_cast<const StoredPicture*>(picture.get());
    if (!stored) return nullptr;
    const DibLayout& layout = stored->Layout();
    try {
        // The header and colours first, for GDI; the rows then go straight
        // into the bitmap, made in their stored order, with no copy between.
        ClipReader reader(*stored);
        std::vector<uint8_t> head(layout.pixelOffset);
        if (!reader.Read(head.data(), head.size())) return nullptr;
        std::vector<uint8_t> info = BitmapInfoForGdi(head.data(), layout);
        const int32_t height = layout.topDown ? -layout.height : layout.height;
        std::memcpy(&info[8], &height, sizeof height);
        void* bits = nullptr;
        SharedBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                             DIB_RGB_COLORS, &bits, nullptr, 0),
                            BitmapDeleter());
        if (!bitmap.get() || !bits) return nullptr;
        const size_t rows = layout.totalBytes - layout.pixelOffset;
        if (!reader.Read(static_cast<uint8_t*>(bits), rows) || !reader.AtEnd()) return nullptr;
        GdiFlush();
        return bitmap;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace korvimo
