// Ctrl+Alt+V calls Korvimo up from any program; Enter then pastes the chosen
// entry into the window the user was in, and Esc goes back there empty-handed.
#include <vector>

#include "app/form1_win32.h"
#include "app/ids.h"

namespace korvimo {

namespace {

constexpr int kFrontWaitMs = 500;

bool Ours(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Ctrl+V, with the keys the user still holds let go first, so that the
// target sees Ctrl+V and not Ctrl+Alt+V. Ctrl goes down before Alt comes up:
// an Alt released on its own would open the target's menu.
void SendPaste() {
    std::vector<INPUT> keys{Key(VK_CONTROL, false)};
    for (WORD held : {VK_MENU, VK_LMENU, VK_RMENU, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(held) < 0) keys.push_back(Key(held, true));
    for (auto [key, up] : {std::pair<WORD, bool>{'V', false}, {'V', true}, {VK_CONTROL, true}})
        keys.push_back(Key(key, up));
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

}  // namespace

void Form1::RegisterCallUpKey() {
    if (RegisterHotKey(hwnd_, IDH_CALL_UP, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'V')) return;
    if (Tray)
        Tray->Balloon(u"Ctrl+Alt+V 已被其他程序占用，Korvimo 不用这个热键。请从通知区域的图标打开 Korvimo。");
}

void Form1::CallUp() {
    HWND active = GetForegroundWindow();
    // Called up again while up, the first call's target stays; called up from
    // one of our own windows, there is nowhere to paste.
    const bool fromElsewhere = active && !Ours(active);
    if (!callUp_.active) {
        callUp_.active = fromElsewhere;
        callUp_.wasHidden = !IsWindowVisible(hwnd_) || IsIconic(hwnd_);
    }
    if (fromElsewhere) callUp_.target = active;
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    HTREEITEM newest = newestItem_ ? newestItem_ : roots_["M"];
    TreeView_SelectItem(TreeView, newest);
    TreeView_EnsureVisible(TreeView, newest);
    SetFocus(TreeView);
}

// Korvimo back as it was before the call-up: out of sight, or behind the
// window the user was in; that window gets the foreground again, and the
// paste, unless it has gone meanwhile.
void Form1::GoBack(bool paste) {
    const CallUpState was = callUp_;
    callUp_ = {};
    const bool there = was.target && IsWindow(was.target) && IsWindowVisible(was.target) && !Ours(was.target);
    if (was.wasHidden)
        ShowWindow(hwnd_, SW_HIDE);
    else if (there)
        SetWindowPos(hwnd_, was.target, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!there) return;
    SetForegroundWindow(was.target);
    if (!paste) return;
    // Only into the target itself. Another program's window may take a
    // moment to come to the front; if it does not, there is no paste.
    const auto inFront = [&was] {
        HWND front = GetForegroundWindow();
        return front && !Ours(front) && GetAncestor(front, GA_ROOTOWNER) == GetAncestor(was.target, GA_ROOTOWNER);
    };
    for (int waited = 0; !inFront() && waited < kFrontWaitMs; waited += 10) Sleep(10);
    if (inFront()) SendPaste();
}

}  // namespace korvimo
