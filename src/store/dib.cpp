#include "store/dib.h"

#include <algorithm>
#include <cstdlib>

namespace korvimo {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kInfoHeaderBytes = 40;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// The colour-table entries a depth has when the header does not say (a full
// palette up to 8 bits, none above), or nothing for a depth we do not show.
std::optional<size_t> FullPalette(uint32_t bits) {
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16: case 24: case 32: return 0;
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<DibLayout> ReadDibLayout(const uint8_t* data, size_t size) {
    // The fields read here lie in the first 40 bytes; a longer header, the
    // masks, the colours and the rows are held against the size at the end.
    if (!data || size < kInfoHeaderBytes) return std::nullopt;
    DibLayout dib;
    dib.headerBytes = U32(data);
    // BITMAPINFOHEADER and its V2, V3, V4 and V5 successors.
    if (dib.headerBytes != 40 && dib.headerBytes != 52 && dib.headerBytes != 56 && dib.headerBytes != 108 &&
        dib.headerBytes != 124)
        return std::nullopt;
    const int32_t width = static_cast<int32_t>(U32(data + 4));
    // Widened, so that the lowest height too has a row count.
    const int64_t height = static_cast<int32_t>(U32(data + 8));
    const uint32_t planesAndBits = U32(data + 12);
    dib.bitCount = static_cast<uint16_t>(planesAndBits >> 16);
    dib.compression = U32(data + 16);
    const uint32_t coloursUsed = U32(data + 32);
    const std::optional<size_t> fullPalette = FullPalette(dib.bitCount);
    if ((planesAndBits & 0xFFFF) != 1 || width <= 0 || height == 0 || !fullPalette) return std::nullopt;
    dib.width = width;
    dib.topDown = height < 0;
    const uint64_t rows = static_cast<uint64_t>(std::abs(height));

    if (dib.compression == kBiBitfields) {
        if (dib.bitCount != 16 && dib.bitCount != 32) return std::nullopt;
        // Headers from 52 bytes on hold the masks themselves.
        if (dib.headerBytes == kInfoHeaderBytes) dib.maskBytes = 12;
    } else if (dib.compression != kBiRgb) {
        return std::nullopt;
    }
    // No more colours than the depth can tell apart, and at most 256 above 8 bits.
    if (coloursUsed > (1u << std::min<uint16_t>(dib.bitCount, 8))) return std::nullopt;
    dib.colourCount = coloursUsed ? coloursUsed : *fullPalette;

    const uint64_t rowBytes = (static_cast<uint64_t>(dib.width) * dib.bitCount + 31) / 32 * 4;
    const uint64_t pixelOffset = dib.headerBytes + dib.maskBytes + dib.colourCount * 4;
    const uint64_t total = pixelOffset + rowBytes * rows;
    if (total > kMaxDibBytes || total > size) return std::nullopt;
    dib.height = static_cast<int32_t>(rows);
    dib.rowBytes = static_cast<size_t>(rowBytes);
    dib.pixelOffset = static_cast<size_t>(pixelOffset);
    dib.totalBytes = static_cast<size_t>(total);
    return dib;
}

std::vector<uint8_t> BitmapInfoForGdi(const uint8_t* dib, const DibLayout& layout) {
    const size_t maskBytes = layout.compression == kBiBitfields ? 12 : 0;
    std::vector<uint8_t> info(kInfoHeaderBytes, 0);
    PutU32(&info[0], kInfoHeaderBytes);
    PutU32(&info[4], static_cast<uint32_t>(layout.width));
    PutU32(&info[8], static_cast<uint32_t>(layout.height));
    PutU32(&info[12], 1 | uint32_t{layout.bitCount} << 16);
    PutU32(&info[16], layout.compression);
    PutU32(&info[32], static_cast<uint32_t>(layout.colourCount));
    // The masks follow a 40-byte header, or sit inside a longer one at the
    // same place; the colour table comes after either.
    info.insert(info.end(), dib + kInfoHeaderBytes, dib + kInfoHeaderBytes + maskBytes);
    const uint8_t* colours = dib + layout.pixelOffset - layout.colourCount * 4;
    info.insert(info.end(), colours, dib + layout.pixelOffset);
    return info;
}

const uint8_t* DibRow(const uint8_t* dib, const DibLayout& layout, int32_t row) {
    const int32_t stored = layout.topDown ? layout.height - 1 - row : row;
    return dib + layout.pixelOffset + static_cast<size_t>(stored) * layout.rowBytes;
}

}  // namespace korvimo
