#include "about/about_win32.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "about/about_layout.h"
#include "about/links.h"
#include "resource_ids.h"
#include "win32/dpi_art_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {

const wchar_t kAboutClassName[] = L"KorvimoAbout";
const wchar_t kCallUpKeyText[] = L"热键 Ctrl+Alt+V";

namespace {

// Windows' wchar_t and char16_t are both UTF-16 code units.
std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

struct AboutState {
    HWND window = nullptr;
    HWND label = nullptr;
    HBITMAP picture = nullptr;
    HFONT font = nullptr;
    bool own_font = false;
};

AboutState g_about;

// The point size of the version text; large enough for the CJK glyphs to
// stay legible.
constexpr int kLabelPoints = 9;

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(HDC dc, const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A font that has the Chinese glyphs: the usual Chinese faces when one is
// installed (the font mapper would otherwise pick a Latin face by charset
// and size alone), else the default GUI font, which font linking covers.
void ChooseLabelFont(HDC dc, int dpi_y) {
    static const wchar_t* const kFaces[] = {L"SimSun", L"NSimSun", L"Microsoft YaHei",
                                            L"WenQuanYi Micro Hei"};
    for (const wchar_t* face : kFaces) {
        if (!FaceInstalled(dc, face)) continue;
        HFONT f = CreateFontW(-MulDiv(kLabelPoints, dpi_y, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                              FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
        if (f) {
            g_about.font = f;
            g_about.own_font = true;
            return;
        }
    }
    g_about.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    g_about.own_font = false;
}

SIZE TextSize(HDC dc, const std::wstring& text) {
    HGDIOBJ old = SelectObject(dc, g_about.font);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size;
}

void PaintPicture(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    BITMAP bm{};
    HDC mem = g_about.picture ? CreateCompatibleDC(dc) : nullptr;
    if (mem && GetObjectW(g_about.picture, sizeof bm, &bm)) {
        HGDIOBJ old = SelectObject(mem, g_about.picture);
        // At other than 96 DPI the client is larger or smaller than the
        // picture; stretching keeps it filled.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, bm.bmWidth, bm.bmHeight,
                   SRCCOPY);
        SelectObject(mem, old);
    } else {
        FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    if (mem) DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

void CloseAbout(HWND hwnd) { ShowWindow(hwnd, SW_HIDE); }

LRESULT CALLBACK AboutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the picture covers the whole client area
    case WM_PAINT:
        PaintPicture(hwnd);
        return 0;
    case WM_CTLCOLORSTATIC: {
        // Blue text straight on the picture.
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    // The label is a plain STATIC, which lets mouse input through to this
    // window, so these cover clicks on the label as well. A click ends with
    // its release: closing on the press would hand the release to whatever
    // window lies beneath.
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        CloseAbout(hwnd);
        return 0;
    case WM_KEYDOWN:
        // As a dialog's Esc and Enter would; other keys do nothing here.
        if (wp == VK_ESCAPE || wp == VK_RETURN) CloseAbout(hwnd);
        return 0;
    case WM_CLOSE:
        // Alt+F4 and the like hide it too, so that it stays one window.
        CloseAbout(hwnd);
        return 0;
    case WM_DESTROY:
        if (g_about.own_font && g_about.font) DeleteObject(g_about.font);
        if (g_about.picture) DeleteObject(g_about.picture);
        g_about = AboutState{};
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

bool RegisterAboutClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kAboutClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GuardedProc<AboutProc>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kAboutClassName;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateAbout(HINSTANCE instance) {
    if (!RegisterAboutClass(instance)) return nullptr;

    HDC screen = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    AboutGeometry g = AboutBoxGeometry(GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), dpi_x, dpi_y);
    ChooseLabelFont(screen, dpi_y);
    std::wstring text = Wide(VersionLabelText());
    SIZE text_size = TextSize(screen, text);
    ReleaseDC(nullptr, screen);

    // A bare WS_POPUP has no frame, so the window rectangle is the client.
    // WS_EX_TOOLWINDOW keeps this borderless box off the taskbar, where a
    // button for it could neither close nor usefully restore it.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kAboutClassName, L"Korvimo", WS_POPUP, g.left, g.top, g.width,
                                g.height, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        if (g_about.own_font && g_about.font) DeleteObject(g_about.font);
        g_about = AboutState{};
        return nullptr;
    }
    g_about.window = hwnd;
    FollowDpiChanges(hwnd);
    g_about.picture = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_ABOUT),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    int label_width = text_size.cx + 2;
    if (label_width > g.width - g.label_left) label_width = g.width - g.label_left;
    g_about.label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT,
                                    g.label_left, g.label_top, label_width, text_size.cy + 2, hwnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutLabelId)),
                                    instance, nullptr);
    if (g_about.label)
        SendMessageW(g_about.label, WM_SETFONT, reinterpret_cast<WPARAM>(g_about.font), FALSE);
    // Below the version, the key that calls Korvimo up from any program.
    HWND key = CreateWindowExW(0, L"STATIC", kCallUpKeyText, WS_CHILD | WS_VISIBLE | SS_LEFT, g.label_left,
                               g.label_top + text_size.cy + 6, g.width - g.label_left, text_size.cy + 2, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutLabelId + 1)), instance, nullptr);
    if (key) SendMessageW(key, WM_SETFONT, reinterpret_cast<WPARAM>(g_about.font), FALSE);
    return hwnd;
}

// The program's own file name, however long its path is; empty if the
// system cannot tell.
std::u16string ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::u16string();
        if (n < buffer.size()) return std::u16string(buffer.begin(), buffer.begin() + n);
        if (buffer.size() >= 32768) return std::u16string();
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

void about_Click(HINSTANCE instance) {
    if (!g_about.window || !IsWindow(g_about.window)) {
        g_about = AboutState{};
        if (!CreateAbout(instance)) return;
    }
    SetWindowPos(g_about.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(g_about.window, SW_SHOW);
    UpdateWindow(g_about.window);
}

void help2_Click(HWND main) {
    std::wstring path = Wide(SiblingPath(ModulePath(), HelpFileName()));
    ShellExecuteW(main, L"Open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void home_Click(HWND main) {
    std::wstring url = Wide(HomePageUrl());
    ShellExecuteW(main, L"open", url.c_str(), nullptr, nullptr, SW_HIDE);
}

void email_Click(HWND main) {
    std::wstring target = Wide(MailTarget());
    ShellExecuteW(main, L"open", target.c_str(), nullptr, nullptr, SW_HIDE);
}

}  // namespace korvimo
