#pragma once
// The small always-on-top window with a progress bar that a GIF save shows.
#include <windows.h>

#include <cstdint>
#include <string>

namespace korvimo {

// For finding the window and its parts from outside (tests, accessibility).
constexpr wchar_t kSavingWindowClass[] = L"KorvimoSaving";
constexpr wchar_t kSavingPictureClass[] = L"KorvimoSavingPicture";
constexpr int kSavingPictureId = 1001;  // Picture1, child of the window
constexpr int kSavingLabelId = 1002;    // Label1 (STATIC), child of Picture1

class Saving {
public:
    Saving() = default;
    ~Saving();  // closes the window if it is still open
    Saving(const Saving&) = delete;
    Saving& operator=(const Saving&) = delete;

    // Creates the window centred on the screen, topmost, without activating
    // the owner away. False when it could not be created.
    bool Show(HWND owner);

    // Paints the bar for `percent` and sets the caption to "<percent>%".
    void cGif_Progress(int16_t percent);

    void Close();
    HWND Handle() const { return frame_; }

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintPicture(HDC dc) const;
    void FitLabelToCaption();
    int XPixels(int32_t twips) const;
    int YPixels(int32_t twips) const;

    HWND frame_ = nullptr;
    HWND picture_ = nullptr;
    HWND label_ = nullptr;
    HBRUSH barBrush_ = nullptr;
    int dpiX_ = 96;
    int dpiY_ = 96;
    int barPixels_ = 0;
    bool labelHighlighted_ = false;
};

// The GIF branch of the save command: a fresh encoder, the progress window
// shown while it runs and closed afterwards whatever the outcome. True when
// the file was written; otherwise an existing file at `path` is untouched.
bool SavePictureAsGif(HWND owner, HBITMAP picture, const std::wstring& path);

}  // namespace korvimo
