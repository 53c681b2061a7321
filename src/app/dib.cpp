#include "app/dib.h"

#include <cstring>

namespace korvimo {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kInfoHeaderBytes = 40;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool KnownDepth(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::optional<DibLayout> ReadDibLayout(const uint8_t* data, size_t size) {
    if (!data || size < kInfoHeaderBytes) return std::nullopt;
    DibLayout dib;
    dib.headerBytes = U32(data);
    // BITMAPINFOHEADER and its V2, V3, V4 and V5 successors.
    if (dib.headerBytes != 40 && dib.headerBytes != 52 && dib.headerBytes != 56 && dib.headerBytes != 108 &&
        dib.headerBytes != 124)
        return std::nullopt;
    if (size < dib.headerBytes) return std::nullopt;
    const int32_t width = static_cast<int32_t>(U32(data + 4));
    const int32_t height = static_cast<int32_t>(U32(data + 8));
    dib.bitCount = U16(data + 14);
    dib.compression = U32(data + 16);
    const uint32_t coloursUsed = U32(data + 32);
    if (U16(data + 12) != 1 || width <= 0 || height == 0 || height == INT32_MIN || !KnownDepth(dib.bitCount))
        return std::nullopt;
    dib.width = width;
    dib.topDown = height < 0;
    dib.height = height < 0 ? -height : height;

    if (dib.compression == kBiBitfields) {
        if (dib.bitCount != 16 && dib.bitCount != 32) return std::nullopt;
        // Headers from 52 bytes on hold the masks themselves.
        if (dib.headerBytes == kInfoHeaderBytes) dib.maskBytes = 12;
    } else if (dib.compression != kBiRgb) {
        return std::nullopt;
    }
    if (coloursUsed > 256 || (dib.bitCount <= 8 && coloursUsed > (1u << dib.bitCount))) return std::nullopt;
    dib.colourCount = coloursUsed ? coloursUsed : dib.bitCount <= 8 ? size_t{1} << dib.bitCount : 0;

    const uint64_t rowBytes = (static_cast<uint64_t>(dib.width) * dib.bitCount + 31) / 32 * 4;
    const uint64_t pixelOffset = dib.headerBytes + dib.maskBytes + dib.colourCount * 4;
    const uint64_t total = pixelOffset + rowBytes * static_cast<uint64_t>(dib.height);
    if (total > kMaxDibBytes || total > size) return std::nullopt;
    dib.rowBytes = static_cast<size_t>(rowBytes);
    dib.pixelOffset = static_cast<size_t>(pixelOffset);
    dib.totalBytes = static_cast<size_t>(total);
    return dib;
}

std::vector<uint8_t> BitmapInfoForGdi(const uint8_t* dib, const DibLayout& layout) {
    const size_t maskBytes = layout.compression == kBiBitfields ? 12 : 0;
    std::vector<uint8_t> info(kInfoHeaderBytes + maskBytes + layout.colourCount * 4, 0);
    PutU32(&info[0], kInfoHeaderBytes);
    PutU32(&info[4], static_cast<uint32_t>(layout.width));
    PutU32(&info[8], static_cast<uint32_t>(layout.height));
    info[12] = 1;
    info[14] = static_cast<uint8_t>(layout.bitCount);
    PutU32(&info[16], layout.compression);
    PutU32(&info[32], static_cast<uint32_t>(layout.colourCount));
    // The masks follow a 40-byte header, or sit inside a longer one at the
    // same place; the colour table comes after either.
    if (maskBytes) std::memcpy(&info[kInfoHeaderBytes], dib + kInfoHeaderBytes, maskBytes);
    std::memcpy(&info[kInfoHeaderBytes + maskBytes], dib + layout.headerBytes + layout.maskBytes,
                layout.colourCount * 4);
    return info;
}

const uint8_t* DibRow(const uint8_t* dib, const DibLayout& layout, int32_t row) {
    const int32_t stored = layout.topDown ? layout.height - 1 - row : row;
    return dib + layout.pixelOffset + static_cast<size_t>(stored) * layout.rowBytes;
}

}  // namespace korvimo
