#pragma once
// Device-independent bitmaps as the clipboard hands them over (CF_DIB and
// CF_DIBV5): a BITMAPINFOHEADER or a later, longer header, then colour masks
// and a colour table where the format has them, then the pixel rows. We keep
// these bytes as they came, so a picture shown or saved later has exactly
// the pixels that were copied.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvimo {

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;        // rows, always positive
    bool topDown = false;      // the first row in memory is the top one
    uint16_t bitCount = 0;
    uint32_t compression = 0;  // BI_RGB or BI_BITFIELDS
    size_t headerBytes = 0;    // the header's own size field
    size_t maskBytes = 0;      // colour masks after a 40-byte header
    size_t colourCount = 0;    // colour table entries of 4 bytes
    size_t rowBytes = 0;       // each row padded to 4 bytes
    size_t pixelOffset = 0;    // where the rows begin
    size_t totalBytes = 0;     // everything up to the last row's end
};

// The largest picture we take: beyond this a 32-bit program could not hold
// the bytes while it stores them.
inline constexpr size_t kMaxDibBytes = size_t{512} << 20;

// The layout of `size` bytes of a packed DIB, or nothing when they are not a
// picture we can keep and show: unknown header, compression (run-length,
// JPEG, PNG) or depth, an empty or oversized picture, or fewer bytes than
// the header promises. Bytes beyond the last row (slack of the memory block,
// a colour profile) are not part of the picture.
std::optional<DibLayout> ReadDibLayout(const uint8_t* data, size_t size);

// What GDI is handed to make a bitmap of a stored DIB: a plain 40-byte
// BITMAPINFOHEADER (bottom-up, whatever the stored order) with the masks and
// colour table that follow it. Longer headers are reduced to this, so no
// colour-profile reference in the stored bytes is ever followed.
std::vector<uint8_t> BitmapInfoForGdi(const uint8_t* dib, const DibLayout& layout);

// The stored row that holds bottom-up row `row` (0 = bottom).
const uint8_t* DibRow(const uint8_t* dib, const DibLayout& layout, int32_t row);

}  // namespace korvimo
