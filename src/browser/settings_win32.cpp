#include "browser/settings_win32.h"

#include "resource_ids.h"
#include "win32/child_controls_win32.h"
#include "win32/dpi_art_win32.h"
#include "win32/guard_win32.h"
#include "win32/twips_win32.h"

namespace korvimo {

namespace {

constexpr int kClientWidthTwips = 3945;
constexpr int kClientHeightTwips = 3030;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed, no min/max
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// Frame members are placed relative to their frame, then offset by it:
// they stay direct children so that their notices reach the dialog.
constexpr int kFrame1Left = 240, kFrame1Top = 120;
constexpr int kFrame2Left = 240, kFrame2Top = 1320;

const ChildControl kControls[] = {
    {IDC_SETTING_FRAME1, L"BUTTON", L"数据检测", BS_GROUPBOX, kFrame1Left, kFrame1Top, 3495, 1095},
    {IDC_SETTING_CHECK1, L"BUTTON", L"自动检测剪贴板中的文本数据", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
     kFrame1Left + 240, kFrame1Top + 240, 2775, 255},
    {IDC_SETTING_CHECK2, L"BUTTON", L"自动检测剪贴板中的图象数据", BS_AUTOCHECKBOX | WS_TABSTOP,
     kFrame1Left + 240, kFrame1Top + 720, 2775, 255},
    {IDC_SETTING_FRAME2, L"BUTTON", L"图象显示", BS_GROUPBOX, kFrame2Left, kFrame2Top, 3495, 975},
    // The two options form one group: the first opens it, Command1 closes it.
    {IDC_SETTING_OPTION1, L"BUTTON", L"按照原图大小显示", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP,
     kFrame2Left + 240, kFrame2Top + 240, 2295, 255},
    {IDC_SETTING_OPTION2, L"BUTTON", L"拉伸显示", BS_AUTORADIOBUTTON, kFrame2Left + 240, kFrame2Top + 600,
     2415, 255},
    {IDC_SETTING_COMMAND1, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 480, 2400, 975, 495},
    {IDC_SETTING_COMMAND2, L"BUTTON", L"取消", BS_PUSHBUTTON | WS_TABSTOP, 1560, 2400, 975, 495},
    {IDC_SETTING_COMMAND3, L"BUTTON", L"应用", BS_PUSHBUTTON | WS_TABSTOP, 2640, 2400, 975, 495},
};

// The system's message font shows Chinese on the systems we serve; the stock
// GUI font is the fallback when it cannot be had.
HFONT CreateDialogFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return CreateFontIndirectW(&metrics.lfMessageFont);
    return nullptr;
}

class SettingDialog {
public:
    explicit SettingDialog(SettingsHost& host) : host_(host) {}

    bool Create(HINSTANCE instance);
    HWND Hwnd() const { return hwnd_; }
    void Bring();

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Form_Load();
    void Command3_Click();  // apply
    bool Checked(int id) const;
    void SetChecked(int id, bool on);

    SettingsHost& host_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;  // ours to delete; null when the stock font is used
    HWND lastFocus_ = nullptr;
};

// The one loaded dialog; null while it is not loaded.
SettingDialog* g_dialog = nullptr;

bool RegisterSettingClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, kSettingWindowClass, &existing)) return true;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = GuardedProc<SettingDialog::WndProc>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KORVIMO));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kSettingWindowClass;
    return RegisterClassExW(&wc) != 0;
}

bool SettingDialog::Create(HINSTANCE instance) {
    if (!RegisterSettingClass(instance)) return false;
    ScreenScale scale = ScreenScale::OfScreen();
    RECT frame{0, 0, scale.X(kClientWidthTwips), scale.Y(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // No owner: the dialog has its own taskbar button and never blocks Form1.
    // hwnd_ is set by WM_NCCREATE; a creation that fails after it has already
    // destroyed this object, so nothing here may touch it afterwards.
    HWND hwnd = CreateWindowExW(kWindowExStyle, kSettingWindowClass, kSettingCaption, kWindowStyle,
                                x, y, width, height, nullptr, nullptr, instance, this);
    FollowDpiChanges(hwnd);
    return hwnd != nullptr;
}

void SettingDialog::CreateControls() {
    font_ = CreateDialogFont();
    HFONT font = font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    CreateChildControls(hwnd_, kControls, font);
}

bool SettingDialog::Checked(int id) const {
    return SendDlgItemMessageW(hwnd_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SettingDialog::SetChecked(int id, bool on) {
    SendDlgItemMessageW(hwnd_, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SettingDialog::Form_Load() {
    SettingsControls c = FillSettingsControls(host_);
    SetChecked(IDC_SETTING_CHECK1, c.check1);
    SetChecked(IDC_SETTING_CHECK2, c.check2);
    SetChecked(IDC_SETTING_OPTION1, c.option1);
    SetChecked(IDC_SETTING_OPTION2, c.option2);
}

void SettingDialog::Command3_Click() {
    SettingsControls c;
    c.check1 = Checked(IDC_SETTING_CHECK1);
    c.check2 = Checked(IDC_SETTING_CHECK2);
    c.option2 = Checked(IDC_SETTING_OPTION2);
    c.option1 = !c.option2;
    ApplySettingsControls(c, host_);
}

void SettingDialog::Bring() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

LRESULT CALLBACK SettingDialog::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<SettingDialog*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SettingDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (g_dialog == self) g_dialog = nullptr;
        delete self;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT SettingDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        Form_Load();
        lastFocus_ = GetDlgItem(hwnd_, IDC_SETTING_CHECK1);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case IDC_SETTING_COMMAND1:
            Command3_Click();
            DestroyWindow(hwnd_);
            return 0;
        case IDCANCEL:  // Esc
        case IDC_SETTING_COMMAND2:
            DestroyWindow(hwnd_);
            return 0;
        case IDC_SETTING_COMMAND3:
            Command3_Click();
            return 0;
        }
        break;
    case DM_GETDEFID: {
        // Enter presses the focused button, and 确定 from anywhere else.
        HWND focus = GetFocus();
        int id = GetDlgCtrlID(focus);
        bool button = GetParent(focus) == hwnd_ && id >= IDC_SETTING_COMMAND1 && id <= IDC_SETTING_COMMAND3;
        return MAKELRESULT(button ? id : IDC_SETTING_COMMAND1, DC_HASDEFID);
    }
    case WM_ACTIVATE:
        // Keep the keyboard focus on the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_)) {
            SetFocus(lastFocus_);
        }
        return 0;
    case WM_CLOSE:  // close box, Alt+F4: unload without applying
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (font_) {
            DeleteObject(font_);
            font_ = nullptr;
        }
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace

void ShowSettingsDialog(HINSTANCE instance, SettingsHost& host) {
    if (g_dialog) {  // open: shown again as it is, unapplied changes kept
        g_dialog->Bring();
        return;
    }
    auto* dialog = new SettingDialog(host);
    g_dialog = dialog;
    if (!dialog->Create(instance)) {
        // WM_NCDESTROY already freed it when creation failed after WM_NCCREATE.
        if (g_dialog == dialog) delete dialog;
        g_dialog = nullptr;
        return;
    }
    ShowWindow(dialog->Hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(dialog->Hwnd());
}

HWND SettingsDialogWindow() { return g_dialog ? g_dialog->Hwnd() : nullptr; }

bool SettingsDialogMessage(MSG* message) {
    HWND hwnd = SettingsDialogWindow();
    if (!hwnd || !message) return false;
    if (message->hwnd != hwnd && !IsChild(hwnd, message->hwnd)) return false;
    return IsDialogMessageW(hwnd, message) != FALSE;
}

void CloseSettingsDialog() {
    if (HWND hwnd = SettingsDialogWindow()) DestroyWindow(hwnd);
}

}  // namespace korvimo
