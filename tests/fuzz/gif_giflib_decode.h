#pragma once
// Reads a GIF file from memory with giflib, an independent decoder, so that
// the fuzzer can compare what our encoder wrote with the picture it was given.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif_test_support.h"

namespace korvimo_test {

struct GiflibDecoded {
    bool ok = false;
    int screenWidth = 0, screenHeight = 0;
    IndexedPicture picture;
    korvimo::GifColourTable colours{};
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

// ok only for one non-interlaced image with a 256-entry global table and no
// local one, the form our encoder writes.
inline GiflibDecoded DecodeWithGiflib(const std::vector<uint8_t>& file) {
    struct Reader {
        const std::vector<uint8_t>& bytes;
        size_t pos;
        static int Read(GifFileType* gif, GifByteType* out, int length) {
            auto* self = static_cast<Reader*>(gif->UserData);
            const size_t n = std::min(self->bytes.size() - self->pos, static_cast<size_t>(length));
            std::memcpy(out, self->bytes.data() + self->pos, n);
            self->pos += n;
            return static_cast<int>(n);
        }
    } reader{file, 0};
    GiflibDecoded d;
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, Reader::Read, &error);
    if (gif == nullptr) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap != nullptr &&
        gif->SColorMap->ColorCount == 256) {
        const SavedImage& image = gif->SavedImages[0];
        d.screenWidth = gif->SWidth;
        d.screenHeight = gif->SHeight;
        d.picture = {image.ImageDesc.Width, image.ImageDesc.Height, {}};
        d.picture.pixels.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(
                                                      d.picture.width) * d.picture.height);
        static_assert(sizeof(GifColorType) == 3, "red, green, blue bytes in a row");
        std::memcpy(d.colours.data(), gif->SColorMap->Colors, d.colours.size());
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) d.transparentIndex = gcb.TransparentColor;
        d.ok = !image.ImageDesc.Interlace && image.ImageDesc.ColorMap == nullptr;
    }
    DGifCloseFile(gif, &error);
    return d;
}

}  // namespace korvimo_test
