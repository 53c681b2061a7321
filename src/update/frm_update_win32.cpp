// winsock2.h has to come before windows.h.
#include "update/download_io_win32.h"
#include "update/frm_update_win32.h"

#include <optional>
#include <string>

#include "resource_ids.h"
#include "update/download.h"
#include "update/open_document_win32.h"
#include "update/progress_display_win32.h"
#include "update/update_url.h"
#include "update/version_check.h"
#include "win32/child_controls_win32.h"
#include "win32/dpi_art_win32.h"
#include "win32/guard_win32.h"
#include "win32/twips_win32.h"

namespace korvimo {

namespace {

constexpr UINT kSocketMessage = WM_APP + 0x71;
constexpr UINT kLookupMessage = WM_APP + 0x72;
constexpr int kClientWidthTwips = 5745;
constexpr int kClientHeightTwips = 1575;
// The update file is a couple of lines; anything bigger is not one.
constexpr size_t kMaxUpdateFileBytes = 1 << 20;

constexpr int kLabelWidth = 1020;
constexpr int kRowHeight = 240;
constexpr int kColumn1 = 180, kValue1 = 1200, kValue1Width = 1560;
constexpr int kColumn2 = 2880, kValue2 = 3900, kValue2Width = 1665;
constexpr int kRow1 = 300, kRow2 = 600, kRow3 = 900, kBarRow = 1170;

const ChildControl kControls[] = {
    {IDC_UPDATE_FRAME1, L"BUTTON", L"文件下载进程信息", BS_GROUPBOX, 60, 30, 5625, 1485},
    {IDC_UPDATE_LABEL2, L"STATIC", L"文件大小:", SS_LEFT, kColumn1, kRow1, kLabelWidth, kRowHeight},
    {IDC_UPDATE_LBLSIZE, L"STATIC", L"", SS_LEFT, kValue1, kRow1, kValue1Width, kRowHeight},
    {IDC_UPDATE_LABEL3, L"STATIC", L"接收文件:", SS_LEFT, kColumn2, kRow1, kLabelWidth, kRowHeight},
    {IDC_UPDATE_LBLRECIEVE, L"STATIC", L"", SS_LEFT, kValue2, kRow1, kValue2Width, kRowHeight},
    {IDC_UPDATE_LABEL4, L"STATIC", L"速率:", SS_LEFT, kColumn1, kRow2, kLabelWidth, kRowHeight},
    {IDC_UPDATE_LBLSPEED, L"STATIC", L"", SS_LEFT, kValue1, kRow2, kValue1Width, kRowHeight},
    {IDC_UPDATE_LABEL5, L"STATIC", L"剩余时间:", SS_LEFT, kColumn2, kRow2, kLabelWidth, kRowHeight},
    {IDC_UPDATE_LBLREMAINING, L"STATIC", L"", SS_LEFT, kValue2, kRow2, kValue2Width, kRowHeight},
    {IDC_UPDATE_LABEL6, L"STATIC", L"已用时间:", SS_LEFT, kColumn1, kRow3, kLabelWidth, kRowHeight},
    {IDC_UPDATE_LBLELAPSED, L"STATIC", L"", SS_LEFT, kValue1, kRow3, kValue1Width, kRowHeight},
    {IDC_UPDATE_PICTURE1, kProgressBarClass, L"", WS_BORDER, kColumn1, kBarRow, 5385, 255},
    {IDC_UPDATE_LBLSTATUS, L"STATIC", L"", SS_CENTER, kColumn1, kBarRow, 5385, 255},
};

HWND g_update_window = nullptr;
// What the update file said, kept for the rest of the run.
UpdateInfo g_update_info;

std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring BytesToWide(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::optional<std::string> ReadUpdateUrlVariable() {
    wchar_t buffer[2048];
    DWORD length = GetEnvironmentVariableW(L"KORVIMO_UPDATE_URL", buffer, sizeof buffer / sizeof buffer[0]);
    if (length == 0 || length >= sizeof buffer / sizeof buffer[0]) return std::nullopt;
    return WideToAnsi(std::wstring(buffer, length));
}

std::wstring LocalFilePath() {
    wchar_t folder[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    std::wstring path = (length > 0 && length <= MAX_PATH) ? std::wstring(folder, length) : std::wstring(L".\\");
    return path + L"qrvu.tmp";
}

class FrmUpdate {
public:
    explicit FrmUpdate(HWND window)
        : window_(window),
          socket_(window, kSocketMessage, kLookupMessage),
          file_(LocalFilePath()),
          download_(socket_, file_, clock_) {}

    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

private:
    void Form_Load();
    void CreateControls();
    void OnSocketNotice(WPARAM socket, LPARAM notice);
    void OnLookupNotice();
    void tmrUpdateProgress_Timer();
    // Returns true when the version check ran: the window may be gone.
    bool tmrTimeLeft_Timer();
    void SNewver();
    void ApplyDisplay();
    void SetText(int id, const std::u16string& text, std::u16string& shown);
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    HWND window_;
    WinsockDownloadSocket socket_;
    Win32DownloadFile file_;
    LocalDownloadClock clock_;
    Download download_;
    DownloadDisplay shown_;
    bool shown_once_ = false;
    int drawn_percent_ = -1;
};

void FrmUpdate::CreateControls() {
    CreateChildControls(window_, kControls, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    // lblStatus sits where the bar is and starts hidden.
    ShowWindow(Control(IDC_UPDATE_LBLSTATUS), SW_HIDE);
}

void FrmUpdate::Form_Load() {
    CreateControls();
    SetTimer(window_, kTimerTimeLeft, 1000, nullptr);
    SetTimer(window_, kTimerUpdateProgress, 1, nullptr);
    download_.Start(ChooseUpdateUrl(ReadUpdateUrlVariable()));
    ApplyDisplay();
}

void FrmUpdate::SetText(int id, const std::u16string& text, std::u16string& shown) {
    if (shown_once_ && text == shown) return;
    SetWindowTextW(Control(id), ToWide(text).c_str());
    shown = text;
}

void FrmUpdate::ApplyDisplay() {
    const DownloadDisplay& now = download_.display();
    SetText(IDC_UPDATE_LBLSIZE, now.lblSize, shown_.lblSize);
    SetText(IDC_UPDATE_LBLRECIEVE, now.lblRecieve, shown_.lblRecieve);
    SetText(IDC_UPDATE_LBLSPEED, now.lblSpeed, shown_.lblSpeed);
    SetText(IDC_UPDATE_LBLREMAINING, now.lblRemaining, shown_.lblRemaining);
    SetText(IDC_UPDATE_LBLELAPSED, now.lblElapsed, shown_.lblElapsed);
    SetText(IDC_UPDATE_LBLSTATUS, now.lblStatus, shown_.lblStatus);
    if (!shown_once_ || now.bar_visible != shown_.bar_visible) {
        ShowWindow(Control(IDC_UPDATE_PICTURE1), now.bar_visible ? SW_SHOW : SW_HIDE);
        shown_.bar_visible = now.bar_visible;
    }
    if (!shown_once_ || now.status_visible != shown_.status_visible) {
        ShowWindow(Control(IDC_UPDATE_LBLSTATUS), now.status_visible ? SW_SHOW : SW_HIDE);
        shown_.status_visible = now.status_visible;
    }
    if (now.Percent != drawn_percent_) {
        DrawProgress(Control(IDC_UPDATE_PICTURE1), now.Percent);
        drawn_percent_ = now.Percent;
    }
    shown_once_ = true;
}

void FrmUpdate::OnSocketNotice(WPARAM socket, LPARAM notice) {
    if (!socket_.Owns(socket)) return;  // left over from a closed socket
    int error = WSAGETSELECTERROR(notice);
    switch (WSAGETSELECTEVENT(notice)) {
        case FD_CONNECT:
            if (error) {
                if (!socket_.ConnectNext()) download_.OnError();
            } else {
                download_.OnConnected();
            }
            break;
        case FD_READ: {
            bool failed = false;
            std::string data = socket_.ReceiveAll(failed);
            if (!data.empty()) download_.OnData(data);
            if (failed) download_.OnError();
            break;
        }
        case FD_CLOSE: {
            // Whatever is still queued came before the close.
            bool failed = false;
            std::string data = socket_.ReceiveAll(failed);
            if (!data.empty()) download_.OnData(data);
            if (error || failed) {
                download_.OnError();
            } else {
                download_.OnClosed();
            }
            SetTopmost(window_, false);
            break;
        }
        default:
            break;
    }
    ApplyDisplay();
}

void FrmUpdate::OnLookupNotice() {
    if (socket_.OnLookupNotice() != WinsockDownloadSocket::LookupStep::kFailed) return;
    download_.OnError();
    ApplyDisplay();
}

void FrmUpdate::tmrUpdateProgress_Timer() {
    download_.OnProgressTick();
    ApplyDisplay();
}

bool FrmUpdate::tmrTimeLeft_Timer() {
    TickOutcome outcome = download_.OnTimeTick();
    ApplyDisplay();
    if (outcome != TickOutcome::kRunVersionCheck) return false;
    KillTimer(window_, kTimerTimeLeft);
    KillTimer(window_, kTimerUpdateProgress);
    SNewver();
    return true;
}

void FrmUpdate::SNewver() {
    std::string bytes = file_.ReadAll(kMaxUpdateFileBytes);
    file_.Delete();
    UINT codePage = StripUtf8Bom(bytes) ? CP_UTF8 : CP_ACP;
    std::wstring text = BytesToWide(bytes, codePage);
    VersionDecision decision = CheckVersion(std::u16string(text.begin(), text.end()), g_update_info);
    if (decision.verdict == VersionVerdict::kFailed) {
        // Nothing to compare: the window stays, saying so, as for a failed download.
        SetText(IDC_UPDATE_LBLSTATUS, kDownloadFailedText, shown_.lblStatus);
        return;
    }

    // The message box runs its own message loop, in which this window may be
    // destroyed (and this object with it): from here on only locals are used.
    HWND window = window_;
    std::wstring message = ToWide(decision.message);
    std::wstring link = ToWide(decision.link_to_open);
    if (decision.verdict == VersionVerdict::kOfferUpdate) {
        int answer = MessageBoxW(window, message.c_str(), L"Korvimo", MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES && !link.empty()) OpenDocument(IsWindow(window) ? window : nullptr, link);
    } else {
        MessageBoxW(window, message.c_str(), L"Korvimo", MB_OK);
    }
    if (IsWindow(window)) DestroyWindow(window);
}

LRESULT FrmUpdate::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            Form_Load();
            return 0;
        case kSocketMessage:
            OnSocketNotice(wparam, lparam);
            return 0;
        case kLookupMessage:
            OnLookupNotice();
            return 0;
        case WM_TIMER:
            if (wparam == kTimerTimeLeft) {
                if (tmrTimeLeft_Timer()) return 0;  // perhaps destroyed: touch nothing
            } else if (wparam == kTimerUpdateProgress) {
                tmrUpdateProgress_Timer();
            }
            return 0;
        case WM_DESTROY:
            // Closing abandons the download; what was written stays on disk.
            KillTimer(window_, kTimerTimeLeft);
            KillTimer(window_, kTimerUpdateProgress);
            download_.Abandon();
            if (g_update_window == window_) g_update_window = nullptr;
            return 0;
        default:
            return DefWindowProcW(window_, message, wparam, lparam);
    }
}

LRESULT CALLBACK UpdateWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    FrmUpdate* form = reinterpret_cast<FrmUpdate*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        form = new FrmUpdate(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete form;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    if (!form) return DefWindowProcW(window, message, wparam, lparam);
    return form->Handle(message, wparam, lparam);
}

bool RegisterUpdateWindowClass(HINSTANCE instance) {
    static bool registered = false;
    if (registered) return true;
    RegisterProgressBarClass(instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = GuardedProc<UpdateWindowProc>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KORVIMO));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kUpdateWindowClass;
    registered = RegisterClassExW(&wc) != 0;
    return registered;
}

}  // namespace

HWND ShowUpdateWindow(HINSTANCE instance) {
    if (g_update_window && IsWindow(g_update_window)) {
        if (IsIconic(g_update_window)) ShowWindow(g_update_window, SW_RESTORE);
        ShowWindow(g_update_window, SW_SHOW);
        SetForegroundWindow(g_update_window);
        return g_update_window;
    }
    if (!RegisterUpdateWindowClass(instance)) return nullptr;

    ScreenScale scale = ScreenScale::OfScreen();
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, scale.X(kClientWidthTwips), scale.Y(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, kUpdateWindowClass, L"升级", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return nullptr;
    g_update_window = window;
    FollowDpiChanges(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

void update_Click(HINSTANCE instance) { ShowUpdateWindow(instance); }

}  // namespace korvimo
