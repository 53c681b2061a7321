#pragma once
// Windows bitmap files (BITMAPFILEHEADER + 40-byte BITMAPINFOHEADER) of
// 24-bit pixels, rows bottom-up and padded to 4 bytes as the format requires.
#include <cstddef>
#include <cstdint>

#include "gif/byte_sink.h"

namespace korvimo {

struct Bmp24Picture {
    int32_t width = 0;
    int32_t height = 0;
    // Blue, green, red per pixel; row 0 is the BOTTOM row (the order of both
    // GetDIBits with a positive height and the file); rows `stride` bytes apart.
    const uint8_t* rows = nullptr;
    size_t stride = 0;
};

enum class BmpWriteStatus {
    Ok,
    InvalidSize,    // not positive, or the file would pass 4 GiB; nothing written
    InvalidPixels,  // no pixels or stride shorter than width*3; nothing written
    WriteFailed,    // the sink refused bytes
};

constexpr size_t kBmpHeaderBytes = 14 + 40;

// Bytes of one padded file row, 0 when width is not positive.
uint64_t BmpRowBytes(int32_t width);

// Whole file size, 0 when the picture cannot be stored in a bitmap file.
uint64_t BmpFileBytes(int32_t width, int32_t height);

BmpWriteStatus WriteBmp24(const Bmp24Picture& picture, ByteSink& sink);

}  // namespace korvimo
