// The viewer's own window classes: the viewer pane, the picture, the four
// panning arrows and the splitter bar. Each passes its events to the form,
// as do the tree and the text box for their keys and the tree's presses.
#include <windowsx.h>
#include <wincodec.h>

#include <vector>

#include "app/form1_win32.h"
#include "app/ids.h"
#include "resource_ids.h"
#include "win32/dpi_art_win32.h"
#include "win32/guard_win32.h"
#include "win32/window_class_win32.h"

namespace korvimo {

Form1* TheForm();
void AttachTreeTips(HWND tree);
bool TreeTipsMessage(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

// An arrow picture: its pixels, and the window shape of its opaque part, so
// the picture underneath shows through the transparent ground.
struct ArrowArt {
    HBITMAP bitmap = nullptr;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 32-bit BGRA, top row first
};

ArrowArt LoadArrow(HINSTANCE instance, int resource) {
    ArrowArt art;
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(resource), L"GIF");
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return art;
    DWORD size = SizeofResource(instance, found);

    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size)) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnLoad, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom))) {
        UINT w = 0, h = 0;
        converter->GetSize(&w, &h);
        art.pixels.resize(static_cast<size_t>(w) * h);
        if (SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(art.pixels.data())))) {
            art.width = static_cast<int>(w);
            art.height = static_cast<int>(h);
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), art.width, -art.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            art.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            if (art.bitmap) memcpy(bits, art.pixels.data(), art.pixels.size() * 4);
        }
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, stream, factory})
        if (object) object->Release();
    return art;
}

HRGN OpaqueRegion(const ArrowArt& art, int width, int height) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int y = 0; y < art.height && y < height; ++y) {
        int x = 0;
        while (x < art.width && x < width) {
            while (x < art.width && (art.pixels[static_cast<size_t>(y) * art.width + x] >> 24) < 128) ++x;
            int start = x;
            while (x < art.width && (art.pixels[static_cast<size_t>(y) * art.width + x] >> 24) >= 128) ++x;
            if (x > start) {
                HRGN run = CreateRectRgn(start, y, x, y + 1);
                CombineRgn(region, region, run, RGN_OR);
                DeleteObject(run);
            }
        }
    }
    return region;
}

int ArrowResource(int controlId) {
    switch (controlId) {
        case IDC_IMAGEU: return IDR_ARROW_UP;
        case IDC_IMAGED: return IDR_ARROW_DOWN;
        case IDC_IMAGEL: return IDR_ARROW_LEFT;
        default: return IDR_ARROW_RIGHT;   // ImageR
    }
}

LRESULT CALLBACK ArrowProcBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* art = reinterpret_cast<ArrowArt*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_CREATE:
        case WM_DPICHANGED: {  // sent by the form, with the new DPI
            int dpi = message == WM_CREATE ? ScreenScale::OfWindow(hwnd).dpiY : HIWORD(wParam);
            auto* instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
            int resource = ArtResource(ArrowResource(GetDlgCtrlID(hwnd)), dpi);
            auto* loaded = new ArrowArt(LoadArrow(instance, resource));
            if (art && art->bitmap) DeleteObject(art->bitmap);
            delete art;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(loaded));
            RECT client;
            GetClientRect(hwnd, &client);
            if (loaded->bitmap && client.right > 0)
                SetWindowRgn(hwnd, OpaqueRegion(*loaded, client.right, client.bottom), TRUE);
            return 0;
        }
        case WM_SIZE:
            if (art && art->bitmap) SetWindowRgn(hwnd, OpaqueRegion(*art, LOWORD(lParam), HIWORD(lParam)), TRUE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            if (art && art->bitmap) {
                HDC source = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(source, art->bitmap);
                BitBlt(dc, 0, 0, art->width, art->height, source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetCapture(hwnd);
            TheForm()->Arrow_MouseDown(hwnd);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            ReleaseCapture();
            TheForm()->Arrow_MouseUp();
            return 0;
        case WM_DESTROY:
            if (art) {
                if (art->bitmap) DeleteObject(art->bitmap);
                delete art;
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ImageProcBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        TheForm()->PaintImage1(dc, client);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PicProcBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Text1 lives in the viewer; its notices belong to the form.
    if (message == WM_COMMAND || message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC)
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int ButtonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: return 1;
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: return 2;
        default: return 4;
    }
}

LRESULT CALLBACK SplitterProcBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetCapture(hwnd);
            TheForm()->Splitter_MouseDown(ButtonOf(message), x);
            return 0;
        case WM_MOUSEMOVE:
            TheForm()->Splitter_MouseMove(x);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
            TheForm()->Splitter_MouseUp(ButtonOf(message), x);
            return 0;
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd, &client);
            COLORREF colour = static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            HBRUSH brush = colour ? CreateSolidBrush(colour) : GetSysColorBrush(COLOR_BTNFACE);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
            if (colour) DeleteObject(brush);
            return 1;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// The keyboard's character (Tab, Enter, Esc, Ctrl+C) was posted before its
// key reached us; a key we act on must not also type it.
void DropTabCharacter(HWND hwnd) {
    MSG pending;
    if (PeekMessageW(&pending, hwnd, WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
        (pending.wParam == L'\t' || pending.wParam == L'\r' || pending.wParam == 0x1B || pending.wParam == 0x03))
        PeekMessageW(&pending, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE);
}

LRESULT CALLBACK TreeInputBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TreeTipsMessage(hwnd, message, wParam, lParam)) return 0;
    // The tree follows the mouse before it reports the click: the press point is read here.
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN)
        TheForm()->TreeView_MouseDown(lParam);
    if (message == WM_KEYDOWN && TheForm()->TreeView_KeyDown(wParam)) {
        DropTabCharacter(hwnd);
        return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Text1InputBody(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && TheForm()->Text1_KeyDown(wParam)) {
        DropTabCharacter(hwnd);
        return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}


}  // namespace

void WatchViewerInput(HWND tree, HWND text1) {
    SetWindowSubclass(tree, GuardedSubclass<TreeInputBody>, 1, 0);
    AttachTreeTips(tree);
    SetWindowSubclass(text1, GuardedSubclass<Text1InputBody>, 1, 0);
}

bool RegisterViewerClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    HBRUSH face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // The picture is drawn to its window's size, so a resize repaints it whole.
    return RegisterWindowClass(instance, {L"KorvimoPic", GuardedProc<PicProcBody>, arrow, face}) &&
           RegisterWindowClass(instance, {L"KorvimoImage", GuardedProc<ImageProcBody>, arrow, nullptr, nullptr, CS_HREDRAW | CS_VREDRAW}) &&
           RegisterWindowClass(instance, {L"KorvimoArrow", GuardedProc<ArrowProcBody>, LoadCursor(nullptr, IDC_HAND)}) &&
           RegisterWindowClass(instance, {L"KorvimoSplitter", GuardedProc<SplitterProcBody>, LoadCursor(nullptr, IDC_SIZEWE)});
}

}  // namespace korvimo
