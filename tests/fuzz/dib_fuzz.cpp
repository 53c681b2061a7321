// A picture another program put on the clipboard, any bytes: its layout stays
// within them, GDI gets a header of its own, every row lies inside the pixels,
// and a stored copy, in memory or in a file, comes back exact.
#include <cassert>
#include <cstdint>
#include <vector>

#include "store/clip_store.h"
#include "memory_clip_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvimo;
    const std::optional<DibLayout> layout = ReadDibLayout(data, size);
    testing::MemoryClipFiles files;
    ClipStore store(files, size % 2 ? 0 : kDefaultStoreBudget);
    const PictureRef picture = store.Put(data, size);
    assert(static_cast<bool>(picture) == (layout && FitsInProcess(layout->width, layout->height)));
    if (!layout) return 0;
    assert(layout->pixelOffset + layout->rowBytes * layout->height == layout->totalBytes);
    assert(layout->totalBytes <= size && layout->rowBytes > 0);
    const std::vector<uint8_t> info = BitmapInfoForGdi(data, *layout);
    assert(info.size() >= 40 && info[0] == 40);
    for (int32_t row = 0; row < layout->height; ++row) {
        const uint8_t* bytes = DibRow(data, *layout, row);
        assert(bytes >= data + layout->pixelOffset && bytes + layout->rowBytes <= data + layout->totalBytes);
    }
    const std::vector<uint8_t> stored = static_cast<const StoredPicture&>(*picture).Dib();
    assert(stored == std::vector<uint8_t>(data, data + layout->totalBytes));
    return 0;
}
