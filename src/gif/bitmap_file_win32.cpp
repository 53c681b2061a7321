#include "gif/bitmap_file_win32.h"

#include <new>
#include <vector>

#include "gif/bmp_writer.h"
#include "gif/replace_file_win32.h"

namespace korvimo {

bool WriteBitmapFile(HBITMAP picture, const std::wstring& path) {
    BITMAP bitmap{};
    if (picture == nullptr || GetObjectA(picture, sizeof bitmap, &bitmap) != sizeof bitmap) {
        return false;
    }
    const int32_t width = bitmap.bmWidth;
    const int32_t height = bitmap.bmHeight;
    const uint64_t fileBytes = BmpFileBytes(width, height);
    if (fileBytes == 0 || fileBytes > SIZE_MAX) return false;

    const size_t stride = static_cast<size_t>(BmpRowBytes(width));
    std::vector<uint8_t> rows;
    try {
        rows.assign(stride * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, the file's own row order
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    int lines = GetDIBits(screen, picture, 0, static_cast<UINT>(height), rows.data(), &info,
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != height) return false;

    ReplacingFile file(path);
    if (!file.Open()) return false;
    Bmp24Picture view{width, height, rows.data(), stride};
    if (WriteBmp24(view, file) != BmpWriteStatus::Ok) return false;
    return file.Commit();
}

}  // namespace korvimo
