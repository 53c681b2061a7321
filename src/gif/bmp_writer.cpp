#include "gif/bmp_writer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace korvimo {
namespace {

void PutLe(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint64_t BmpRowBytes(int32_t width) {
    if (width <= 0) return 0;
    return (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
}

uint64_t BmpFileBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    uint64_t total = kBmpHeaderBytes + BmpRowBytes(width) * static_cast<uint64_t>(height);
    // bfSize and biSizeImage are 32-bit fields.
    return total > 0xFFFFFFFFull ? 0 : total;
}

BmpWriteStatus WriteBmp24(const Bmp24Picture& picture, ByteSink& sink) {
    uint64_t fileBytes = BmpFileBytes(picture.width, picture.height);
    if (fileBytes == 0) return BmpWriteStatus::InvalidSize;
    const size_t pixelBytes = static_cast<size_t>(picture.width) * 3;
    if (picture.rows == nullptr || picture.stride < pixelBytes) return BmpWriteStatus::InvalidPixels;
    const size_t rowBytes = static_cast<size_t>(BmpRowBytes(picture.width));

    std::array<uint8_t, kBmpHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    PutLe(&header[2], static_cast<uint32_t>(fileBytes), 4);
    PutLe(&header[10], kBmpHeaderBytes, 4);  // offset of the pixels
    uint8_t* info = &header[14];
    PutLe(info, 40, 4);
    PutLe(info + 4, static_cast<uint32_t>(picture.width), 4);
    PutLe(info + 8, static_cast<uint32_t>(picture.height), 4);  // positive: bottom-up
    PutLe(info + 12, 1, 2);                                     // planes
    PutLe(info + 14, 24, 2);                                    // bits per pixel
    PutLe(info + 16, 0, 4);                                     // BI_RGB
    PutLe(info + 20, static_cast<uint32_t>(fileBytes - kBmpHeaderBytes), 4);
    // Resolution and colour counts stay 0: no colour table at 24 bits.
    if (!sink.Write(header.data(), header.size())) return BmpWriteStatus::WriteFailed;

    // The caller's padding is not copied: the file gets zero padding.
    std::vector<uint8_t> row(rowBytes, 0);
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* source = picture.rows + static_cast<size_t>(y) * picture.stride;
        std::copy_n(source, pixelBytes, row.begin());
        if (!sink.Write(row.data(), row.size())) return BmpWriteStatus::WriteFailed;
    }
    return BmpWriteStatus::Ok;
}

}  // namespace korvimo
