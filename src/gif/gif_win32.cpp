#include "gif/gif_win32.h"

#include <new>
#include <vector>

#include "gif/colour_cube.h"
#include "gif/gif_encoder.h"
#include "gif/replace_file_win32.h"

namespace korvimo {
namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// Sets and clears the busy flag around one save, however it ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

// The DCs one read needs, released in reverse order whatever happens.
class ReadDCs {
public:
    ReadDCs(HBITMAP picture, HDC callerSource) {
        HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        if (display == nullptr) return;
        conversion_ = CreateCompatibleDC(display);
        if (callerSource != nullptr) {
            source_ = callerSource;
        } else {
            ownSource_ = CreateCompatibleDC(display);
            if (ownSource_ != nullptr) {
                HGDIOBJ previous = SelectObject(ownSource_, picture);
                // Fails when the bitmap is selected into another DC: then
                // there is nothing to copy from.
                if (previous != nullptr && previous != HGDI_ERROR) {
                    sourcePrevious_ = previous;
                    source_ = ownSource_;
                }
            }
        }
        DeleteDC(display);
    }
    ~ReadDCs() {
        ReleaseSourceBitmap();
        if (ownSource_ != nullptr) DeleteDC(ownSource_);
        if (conversion_ != nullptr) DeleteDC(conversion_);
    }
    ReadDCs(const ReadDCs&) = delete;
    ReadDCs& operator=(const ReadDCs&) = delete;

    bool Ready() const { return conversion_ != nullptr && source_ != nullptr; }
    HDC Conversion() const { return conversion_; }
    HDC Source() const { return source_; }

    // GetDIBits wants the bitmap out of every DC; only ours can be emptied.
    void ReleaseSourceBitmap() {
        if (sourcePrevious_ != nullptr) SelectObject(ownSource_, sourcePrevious_);
        sourcePrevious_ = nullptr;
    }

private:
    HDC conversion_ = nullptr;
    HDC source_ = nullptr;
    HDC ownSource_ = nullptr;
    HGDIOBJ sourcePrevious_ = nullptr;
};

void FillHeader(BITMAPINFOHEADER& header, int32_t width, int32_t height) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;  // positive: scan line 0 is the bottom row
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biCompression = BI_RGB;
}

// Reads scan line i into matrix row height-1-i (row 0 is the top).
bool ReadLines(HDC dc, HBITMAP bitmap, int32_t height, size_t stride, BitmapInfo256& info,
               std::vector<uint8_t>& matrix) {
    for (int32_t i = 0; i < height; ++i) {
        uint8_t* row = matrix.data() + static_cast<size_t>(height - 1 - i) * stride;
        if (GetDIBits(dc, bitmap, static_cast<UINT>(i), 1, row,
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != 1) {
            return false;
        }
    }
    return true;
}

// Fills `matrix` with 8-bit indices and `colours` with the table they index.
bool ReadIndexedPixels(HBITMAP picture, HDC sourceDC, const BITMAP& bitmap, size_t stride,
                       std::vector<uint8_t>& matrix, GifColourTable& colours) {
    const int32_t width = bitmap.bmWidth;
    const int32_t height = bitmap.bmHeight;
    ReadDCs dcs(picture, sourceDC);
    if (!dcs.Ready()) return false;

    BitmapInfo256 info{};
    FillHeader(info.header, width, height);
    bool read = false;
    HBITMAP dib = nullptr;
    if (bitmap.bmBitsPixel != 8) {
        info.header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(height));
        auto cube = ColourCubeTable();
        for (int i = 0; i < 256; ++i)
            info.colours[i] = RGBQUAD{cube[i].blue, cube[i].green, cube[i].red, 0};
        void* bits = nullptr;
        dib = CreateDIBSection(dcs.Conversion(), reinterpret_cast<BITMAPINFO*>(&info),
                               DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (dib != nullptr) {
        // GDI maps every pixel to the nearest cube entry during this copy.
        HGDIOBJ previous = SelectObject(dcs.Conversion(), dib);
        bool copied = BitBlt(dcs.Conversion(), 0, 0, width, height, dcs.Source(), 0, 0, SRCCOPY) != 0;
        SelectObject(dcs.Conversion(), previous);
        read = copied && ReadLines(dcs.Conversion(), dib, height, stride, info, matrix);
        DeleteObject(dib);
    } else {
        // Already 8 bits (or no DIB section to be had): the bitmap's own
        // lines and the table GetDIBits reports with them.
        dcs.ReleaseSourceBitmap();
        FillHeader(info.header, width, height);
        read = ReadLines(dcs.Source(), picture, height, stride, info, matrix);
    }
    if (!read) return false;
    for (int i = 0; i < 256; ++i) {
        colours[i * 3] = info.colours[i].rgbRed;
        colours[i * 3 + 1] = info.colours[i].rgbGreen;
        colours[i * 3 + 2] = info.colours[i].rgbBlue;
    }
    return true;
}

}  // namespace

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool Gif::SaveGIF(HBITMAP picture, const std::wstring& path, HDC sourceDC, bool useTransparency,
                  uint32_t transparentColour) {
    if (busy_) {
        lastError_ = GifSaveError::Busy;
        return false;
    }
    BusyScope busy(busy_);
    lastError_ = Save(picture, path, sourceDC, useTransparency, transparentColour);
    return lastError_ == GifSaveError::None;
}

GifSaveError Gif::Save(HBITMAP picture, const std::wstring& path, HDC sourceDC,
                       bool useTransparency, uint32_t transparentColour) {
    BITMAP bitmap{};
    if (picture == nullptr || GetObjectA(picture, sizeof bitmap, &bitmap) != sizeof bitmap ||
        bitmap.bmWidth <= 0 || bitmap.bmHeight <= 0) {
        return GifSaveError::NoBitmap;
    }
    if (bitmap.bmWidth > kGifMaxSide || bitmap.bmHeight > kGifMaxSide) return GifSaveError::TooLarge;

    // Room for whole 4-byte-aligned DIB scan lines.
    const size_t stride = (static_cast<size_t>(bitmap.bmWidth) + 3) / 4 * 4;
    std::vector<uint8_t> matrix;
    try {
        matrix.assign(stride * static_cast<size_t>(bitmap.bmHeight), 0);
    } catch (const std::bad_alloc&) {
        return GifSaveError::OutOfMemory;
    }

    GifPicture gif;
    gif.width = bitmap.bmWidth;
    gif.height = bitmap.bmHeight;
    gif.pixels = matrix.data();
    gif.stride = stride;
    if (!ReadIndexedPixels(picture, sourceDC, bitmap, stride, matrix, gif.colours)) {
        return GifSaveError::ReadFailed;
    }
    gif.useTransparency = useTransparency;
    if (useTransparency) gif.transparentIndex = FindTransparentIndex(gif.colours, transparentColour);

    ReplacingFile file(path);
    if (!file.Open()) return GifSaveError::CannotCreateFile;
    GifEncodeStatus status = EncodeGif(gif, file, [this](int16_t percent) {
        if (Progress) Progress(percent);
        PumpPendingMessages();
    });
    if (status != GifEncodeStatus::Ok) return GifSaveError::WriteFailed;
    return file.Commit() ? GifSaveError::None : GifSaveError::CannotReplace;
}

}  // namespace korvimo
