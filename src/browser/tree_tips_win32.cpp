// Tips for the tree's entries. The tip is a tracking tooltip that we place
// and time ourselves: one tool covers the whole tree, and a tooltip left to
// itself would neither change its text from node to node nor wait again
// before showing the next one.
#include <windowsx.h>

#include "app/form1_win32.h"

namespace korvimo {

Form1* TheForm();

namespace {

constexpr UINT_PTR kTipTimer = 0x7469;  // beside the tree's own timers
constexpr int kTipMaxWidth = 400;       // pixels: a long first line wraps

struct TreeTipState {
    HWND tip = nullptr;
    HTREEITEM item = nullptr;  // the node under the pointer; compared, never read through
    POINT at{};                // where the pointer last was, in the tree
    bool leaveTracked = false;
};

TreeTipState g_tips;

TOOLINFOW ToolOf(HWND tree) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = tree;
    tool.uId = reinterpret_cast<UINT_PTR>(tree);
    tool.lpszText = const_cast<wchar_t*>(L"");
    return tool;
}

void HideTip(HWND tree) {
    KillTimer(tree, kTipTimer);
    TOOLINFOW tool = ToolOf(tree);
    if (g_tips.tip) SendMessageW(g_tips.tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// The pointer rested: the node under it now (the one it came to may have
// gone meanwhile) shows its tip beside the tree, level with the pointer.
void ShowTip(HWND tree) {
    KillTimer(tree, kTipTimer);
    HTREEITEM item = TheForm()->NodeAt(g_tips.at);
    std::u16string text = item ? TheForm()->NodeTip(item) : std::u16string();
    if (text.empty()) return;
    std::wstring wide(text.begin(), text.end());
    TOOLINFOW tool = ToolOf(tree);
    tool.lpszText = wide.data();
    SendMessageW(g_tips.tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Beside the tree, level with the pointer: over the tree it would cover
    // the next row, and a click meant for that row would reach the tip.
    RECT client{};
    GetClientRect(tree, &client);
    POINT screen{client.right, g_tips.at.y};
    ClientToScreen(tree, &screen);
    SendMessageW(g_tips.tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageW(g_tips.tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void AttachTreeTips(HWND tree) {
    g_tips.tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, tree, nullptr, nullptr,
                                 nullptr);
    if (!g_tips.tip) return;
    TOOLINFOW tool = ToolOf(tree);
    SendMessageW(g_tips.tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(g_tips.tip, TTM_SETMAXTIPWIDTH, 0, kTipMaxWidth);
}

// The tree's messages pass here first; true for the ones that are ours alone.
bool TreeTipsMessage(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_tips.tip) return false;
    switch (message) {
        case WM_MOUSEMOVE: {
            if (!g_tips.leaveTracked) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, tree, 0};
                g_tips.leaveTracked = TrackMouseEvent(&track) != FALSE;
            }
            g_tips.at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            HTREEITEM item = TheForm()->NodeAt(g_tips.at);
            if (item == g_tips.item) return false;  // a tip shown or waiting stays
            HideTip(tree);
            g_tips.item = item;
            if (item) SetTimer(tree, kTipTimer, GetDoubleClickTime(), nullptr);
            return false;
        }
        case WM_MOUSELEAVE:
            g_tips.leaveTracked = false;
            g_tips.item = nullptr;
            HideTip(tree);
            return false;
        case WM_TIMER:
            if (wParam != kTipTimer) return false;
            ShowTip(tree);
            return true;
        // Whatever the user does next, the tip makes way; the same node
        // shows it again only after the pointer has been elsewhere.
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_MOUSEWHEEL:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_KILLFOCUS:
            HideTip(tree);
            return false;
        default:
            return false;
    }
}

}  // namespace korvimo
