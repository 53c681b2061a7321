#pragma once
// Reads a GIF file from memory with giflib, an independent decoder, so that
// tests can compare what our encoder wrote with the picture it was given.
// Shared by the unit tests and the fuzzer.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/gif_encoder.h"
#include "gif_test_support.h"

namespace korvimo_test {

struct GiflibDecoded {
    bool ok = false;
    int screenWidth = 0, screenHeight = 0;
    IndexedPicture picture;
    korvimo::GifColourTable colours{};
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

namespace giflib_detail {

struct MemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

inline int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    size_t left = reader->bytes->size() - reader->pos;
    size_t n = std::min(left, static_cast<size_t>(length));
    std::memcpy(out, reader->bytes->data() + reader->pos, n);
    reader->pos += n;
    return static_cast<int>(n);
}

}  // namespace giflib_detail

// ok only for one non-interlaced image with a 256-entry global table and no
// local one, the form our encoder writes.
inline GiflibDecoded DecodeWithGiflib(const std::vector<uint8_t>& file) {
    GiflibDecoded d;
    giflib_detail::MemoryReader reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, giflib_detail::ReadFromMemory, &error);
    if (gif == nullptr) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap != nullptr &&
        gif->SColorMap->ColorCount == 256) {
        const SavedImage& image = gif->SavedImages[0];
        d.screenWidth = gif->SWidth;
        d.screenHeight = gif->SHeight;
        d.picture.width = image.ImageDesc.Width;
        d.picture.height = image.ImageDesc.Height;
        d.picture.pixels.assign(image.RasterBits,
                                image.RasterBits + static_cast<size_t>(d.picture.width) *
                                                       d.picture.height);
        for (int i = 0; i < 256; ++i) {
            d.colours[i * 3] = gif->SColorMap->Colors[i].Red;
            d.colours[i * 3 + 1] = gif->SColorMap->Colors[i].Green;
            d.colours[i * 3 + 2] = gif->SColorMap->Colors[i].Blue;
        }
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) d.transparentIndex = gcb.TransparentColor;
        d.ok = !image.ImageDesc.Interlace && image.ImageDesc.ColorMap == nullptr;
    }
    DGifCloseFile(gif, &error);
    return d;
}

}  // namespace korvimo_test
