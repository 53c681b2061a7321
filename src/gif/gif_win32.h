#pragma once
// Saves a bitmap as a GIF file: GDI reduces it to the 125-colour cube (or the
// bitmap's own 8-bit table), our encoder writes the file.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace korvimo {

enum class GifSaveError {
    None,
    Busy,             // this object is already saving (a call from inside Progress)
    NoBitmap,         // no handle, not a bitmap, or an empty one
    TooLarge,         // width or height above 32767; no file was touched
    OutOfMemory,      // no room for the pixel matrix
    ReadFailed,       // GDI could not hand over the pixels
    CannotCreateFile, // no temporary file could be made beside the target
    WriteFailed,      // writing failed; the target is as it was
    CannotReplace,    // the finished file could not take the target's place
};

class Gif {
public:
    // Raised after every tenth row with the percentage of rows done; pending
    // window messages are processed right after it, so the owner can repaint
    // and stay usable.
    std::function<void(int16_t)> Progress;

    // Writes `picture` to `path` (GIF87a, or GIF89a with the first palette
    // entry equal to `transparentColour`, red + 256*green + 65536*blue, as the
    // transparent index when useTransparency). `sourceDC`: a DC that already
    // holds the picture, or nullptr. True when the file was written; false on
    // any failure (see LastError), and then an existing file at `path` is
    // left untouched. A call while this object is saving returns false at
    // once. Never leaves the object busy.
    bool SaveGIF(HBITMAP picture, const std::wstring& path, HDC sourceDC, bool useTransparency,
                 uint32_t transparentColour);

    GifSaveError LastError() const { return lastError_; }
    bool Busy() const { return busy_; }

private:
    GifSaveError Save(HBITMAP picture, const std::wstring& path, HDC sourceDC,
                      bool useTransparency, uint32_t transparentColour);

    bool busy_ = false;
    GifSaveError lastError_ = GifSaveError::None;
};

// Lets queued window messages run; a quit request is put back for the main loop.
void PumpPendingMessages();

}  // namespace korvimo
