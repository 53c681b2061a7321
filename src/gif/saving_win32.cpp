#include "gif/saving_win32.h"

#include "common/rounding.h"
#include "gif/gif_win32.h"
#include "gif/saving_progress.h"
#include "win32/dpi_art_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {
namespace {

constexpr COLORREF kBarColour = RGB(177, 174, 244);
constexpr DWORD kFrameStyle = WS_POPUP | WS_DLGFRAME;  // dialog border, no caption
constexpr DWORD kFrameExStyle = WS_EX_TOOLWINDOW;      // no taskbar button

bool RegisterClasses(HINSTANCE instance, WNDPROC frameProc, WNDPROC pictureProc) {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = frameProc;
    frame.hInstance = instance;
    frame.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = kSavingWindowClass;
    WNDCLASSEXW picture = frame;
    picture.lpfnWndProc = pictureProc;
    picture.hbrBackground = nullptr;  // painted whole in WM_PAINT
    picture.lpszClassName = kSavingPictureClass;
    bool frameOk = RegisterClassExW(&frame) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    bool pictureOk =
        RegisterClassExW(&picture) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    registered = frameOk && pictureOk;
    return registered;
}

Saving* From(HWND window) {
    return reinterpret_cast<Saving*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Attach(HWND window, LPARAM createParams) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(createParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

}  // namespace

Saving::~Saving() {
    Close();
    if (barBrush_ != nullptr) DeleteObject(barBrush_);
}

int Saving::XPixels(int32_t twips) const { return TwipsToPixels(twips, dpiX_); }
int Saving::YPixels(int32_t twips) const { return TwipsToPixels(twips, dpiY_); }

bool Saving::Show(HWND owner) {
    if (frame_ != nullptr) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterClasses(instance, GuardedProc<FrameProc>, GuardedProc<PictureProc>)) return false;
    if (barBrush_ == nullptr) barBrush_ = CreateSolidBrush(kBarColour);
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    barPixels_ = 0;
    labelHighlighted_ = false;

    RECT outer{0, 0, XPixels(kSavingClientWidth), YPixels(kSavingClientHeight)};
    AdjustWindowRectEx(&outer, kFrameStyle, FALSE, kFrameExStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = RoundHalfEven((GetSystemMetrics(SM_CXSCREEN) - width) / 2.0);
    const int top = RoundHalfEven((GetSystemMetrics(SM_CYSCREEN) - height) / 2.0);
    frame_ = CreateWindowExW(kFrameExStyle, kSavingWindowClass, L"", kFrameStyle, left, top, width,
                             height, owner, nullptr, instance, this);
    if (frame_ == nullptr) return false;
    FollowDpiChanges(frame_);

    // 4335 x 615 over a 4305 x 600 client area: the box's own border falls
    // just outside the window on the right and at the bottom.
    picture_ = CreateWindowExW(WS_EX_CLIENTEDGE, kSavingPictureClass, L"",
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               XPixels(kSavingPictureWidth), YPixels(kSavingPictureHeight), frame_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSavingPictureId)),
                               instance, this);
    if (picture_ != nullptr) {
        label_ = CreateWindowExW(0, L"STATIC", L"%", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 XPixels(kSavingLabelLeft), YPixels(kSavingLabelTop),
                                 XPixels(kSavingLabelWidth), YPixels(kSavingLabelHeight), picture_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSavingLabelId)),
                                 instance, nullptr);
        if (label_ != nullptr)
            SendMessageW(label_, WM_SETFONT,
                         reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
    SetWindowPos(frame_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(frame_, SW_SHOWNORMAL);
    UpdateWindow(frame_);
    return true;
}

void Saving::cGif_Progress(int16_t percent) {
    if (frame_ == nullptr || picture_ == nullptr) return;
    SavingBar bar = ComputeSavingBar(percent);
    barPixels_ = XPixels(bar.widthTwips);
    if (bar.labelHighlighted) labelHighlighted_ = true;  // never set back
    if (label_ != nullptr) {
        std::u16string caption = SavingCaption(percent);
        SetWindowTextW(label_, reinterpret_cast<const wchar_t*>(caption.c_str()));
        FitLabelToCaption();
        InvalidateRect(label_, nullptr, TRUE);
    }
    InvalidateRect(picture_, nullptr, FALSE);
    UpdateWindow(picture_);
    if (label_ != nullptr) UpdateWindow(label_);
}

// The design gives the label room for "%" alone; it grows to the right so
// that "100%" stays readable. Its left edge, which decides the highlight,
// does not move.
void Saving::FitLabelToCaption() {
    wchar_t text[16] = {};
    int length = GetWindowTextW(label_, text, 16);
    HDC dc = GetDC(label_);
    if (dc == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label_, WM_GETFONT, 0, 0)));
    SIZE extent{};
    bool measured = GetTextExtentPoint32W(dc, text, length, &extent) != 0;
    SelectObject(dc, previous);
    ReleaseDC(label_, dc);
    RECT rect{};
    GetWindowRect(label_, &rect);
    if (measured && extent.cx > rect.right - rect.left) {
        SetWindowPos(label_, nullptr, 0, 0, extent.cx, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Saving::Close() {
    if (frame_ != nullptr) DestroyWindow(frame_);  // WM_NCDESTROY clears the handles
    frame_ = picture_ = label_ = nullptr;
}

void Saving::PaintPicture(HDC dc) const {
    RECT client{};
    GetClientRect(picture_, &client);
    RECT bar = client;
    bar.right = barPixels_ < client.right ? barPixels_ : client.right;
    // The bar is as high as the whole box, border included; the client clips it.
    if (bar.right > 0) FillRect(dc, &bar, barBrush_);
    RECT rest = client;
    rest.left = bar.right > 0 ? bar.right : 0;
    if (rest.left < rest.right) FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK Saving::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) Attach(window, lParam);
    Saving* self = From(window);
    if (message == WM_NCDESTROY && self != nullptr) {
        // Also reached when the owner is destroyed while a save runs.
        self->frame_ = self->picture_ = self->label_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    // The window is only closed by its owner's code, not by Alt+F4.
    if (message == WM_CLOSE) return 0;
    // Its controls are scaled already; the bar is measured at the new DPI from the next step on.
    if (message == WM_DPICHANGED && self != nullptr) {
        self->dpiX_ = LOWORD(wParam);
        self->dpiY_ = HIWORD(wParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Saving::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) Attach(window, lParam);
    Saving* self = From(window);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (self != nullptr) self->PaintPicture(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        if (self != nullptr && self->labelHighlighted_ &&
            reinterpret_cast<HWND>(lParam) == self->label_) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, kBarColour);
            return reinterpret_cast<LRESULT>(self->barBrush_);
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool SavePictureAsGif(HWND owner, HBITMAP picture, const std::wstring& path) {
    Gif gif;
    Saving saving;
    saving.Show(owner);
    gif.Progress = [&saving](int16_t percent) { saving.cGif_Progress(percent); };
    bool written = gif.SaveGIF(picture, path, nullptr, false, 0);
    saving.Close();
    return written;
}

}  // namespace korvimo
