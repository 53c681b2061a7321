// A picture another program put on the clipboard, any bytes: its layout stays
// within them, GDI gets a header of its own, every row can be read, and a
// stored copy, in memory or in a file, comes back exact.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/picture_store.h"
#include "fuzz_check.h"
#include "memory_picture_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvimo;
    std::optional<DibLayout> layout = ReadDibLayout(data, size);
    testing::MemoryPictureFiles files;
    PictureStore store(files, size % 2 ? 0 : kDefaultPictureBudget);
    PictureRef picture = store.Put(data, size);
    FUZZ_CHECK(static_cast<bool>(picture) == layout.has_value());
    if (!layout) return 0;
    FUZZ_CHECK(layout->pixelOffset + layout->rowBytes * layout->height == layout->totalBytes);
    FUZZ_CHECK(layout->totalBytes <= size && layout->rowBytes > 0);
    std::vector<uint8_t> info = BitmapInfoForGdi(data, *layout);
    FUZZ_CHECK(info.size() >= 40 && info[0] == 40);
    std::vector<uint8_t> rows;
    for (int32_t row = 0; row < layout->height; ++row) {
        const uint8_t* bytes = DibRow(data, *layout, row);
        rows.insert(rows.end(), bytes, bytes + layout->rowBytes);
    }
    FUZZ_CHECK(rows.size() == layout->totalBytes - layout->pixelOffset);
    FUZZ_CHECK(static_cast<const StoredPicture&>(*picture).Dib() ==
               std::vector<uint8_t>(data, data + layout->totalBytes));
    return 0;
}
