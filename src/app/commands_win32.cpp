// The main window's commands: menus, toolbar, tree notices and popups.
#include <windowsx.h>

#include <cwchar>

#include "app/form1_win32.h"
#include "app/ids.h"
#include "browser/selection.h"
#include "win32/guard_win32.h"

namespace korvimo {

namespace {

// Any button pressed on the toolbar first brings the command states in line
// with the tree's selection, so a stale enabled button cannot act.
LRESULT CALLBACK ToolbarMouseDown(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN)
        Guarded(hwnd, [&] {
            reinterpret_cast<Form1*>(data)->Toolbar1_MouseDown();
            return LRESULT{0};
        });
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void Form1::WatchToolbarMouse() { SetWindowSubclass(Toolbar1, ToolbarMouseDown, 1, reinterpret_cast<DWORD_PTR>(this)); }

void Form1::Toolbar1_MouseDown() { ShowSelection(); }

void Form1::OnCommand(int id) {
    switch (id) {
        case IDM_HS: hs_Click(); break;
        case IDM_EXIT:
        case IDM_EXIT2: Form_Unload(); break;
        case IDM_CLEAN: clean_Click(); break;
        case IDM_RENAME: rename_Click(); break;
        case IDM_DELETE: delete_Click(); break;
        case IDM_COPY: copy_Click(); break;
        case IDB_TOOL_OPEN:
        case IDB_TOOL_SAVE:
        case IDB_TOOL_DELETE:
        case IDB_TOOL_CONVERT:
        case IDB_TOOL_SETTINGS:
        case IDB_TOOL_HELP: Toolbar1_ButtonClick(id); break;
        default: OnFeatureCommand(id); break;
    }
}

void Form1::Toolbar1_ButtonClick(int id) {
    switch (id) {
        case IDB_TOOL_OPEN: OnFeatureCommand(IDM_OPEN); break;
        case IDB_TOOL_SAVE: OnFeatureCommand(IDM_SAVE); break;
        case IDB_TOOL_DELETE: delete_Click(); break;
        case IDB_TOOL_CONVERT:
            tool_Click();
            PopupMenuAtCursor(nmzh);
            break;
        case IDB_TOOL_SETTINGS: OnFeatureCommand(IDM_OP); break;
        case IDB_TOOL_HELP: OnFeatureCommand(IDM_HELP2); break;
        default: break;
    }
}

// The conversions are offered exactly while a text clip is shown.
void Form1::tool_Click() {
    UINT state = Shown(Text1) ? MF_ENABLED : MF_GRAYED;
    EnableMenuItem(nmzh, IDM_BIG2GB, MF_BYCOMMAND | state);
    EnableMenuItem(nmzh, IDM_GB2BIG, MF_BYCOMMAND | state);
}

void Form1::clean_Click() { EmptySystemClipboard(hwnd_); }

HTREEITEM Form1::NodeAt(POINT treePoint) const {
    TVHITTESTINFO hit{};
    hit.pt = treePoint;
    HTREEITEM item = TreeView_HitTest(TreeView, &hit);
    return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

// The tree reports a click before it acts on it, so its selection is still
// the one from before the click. It acts on the node under the press, not
// under the release, which may lie a few pixels on.
TreeClickTarget Form1::TreeClickTargetOf(POINT treePoint) const {
    HTREEITEM item = NodeAt(treePoint);
    if (!item) return TreeClickTarget::NoNode;
    return item == TreeView_GetSelection(TreeView) ? TreeClickTarget::SelectedNode : TreeClickTarget::OtherNode;
}

// As in Explorer, the node pointed at becomes the selection before the popup
// opens, so that its commands act on the node the user sees them offered for.
// Over empty space the selection stays; the popup opens wherever the pointer is.
void Form1::TreeView_RClick() {
    HTREEITEM item = NodeAt(treePress_);
    if (item && item != TreeView_GetSelection(TreeView)) TreeView_SelectItem(TreeView, item);
    PopupMenuAtCursor(TreePop);
}

// Without the focus the tree draws its selection in the face colour, which
// on its white ground hardly shows: a pale form of the highlight keeps the
// selected node plain to see while the user works in the text box.
LRESULT Form1::TreeView_CustomDraw(NMTVCUSTOMDRAW* draw) const {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return GetFocus() == TreeView ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !(draw->nmcd.uItemState & CDIS_SELECTED)) return CDRF_DODEFAULT;
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), ground = GetSysColor(COLOR_WINDOW);
    auto pale = [](int h, int g) { return static_cast<BYTE>((h * 2 + g * 3) / 5); };
    draw->clrTextBk = RGB(pale(GetRValue(highlight), GetRValue(ground)), pale(GetGValue(highlight), GetGValue(ground)),
                          pale(GetBValue(highlight), GetBValue(ground)));
    draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
    return CDRF_NEWFONT;
}

LRESULT Form1::OnNotify(NMHDR* header) {
    if (header->hwndFrom == TreeView) {
        switch (header->code) {
            case TVN_SELCHANGEDW:
                ShowSelection();
                ShowTreeLeftEdge();
                return 0;
            case NM_CLICK:
                if (ClickReshowsSelection(TreeClickTargetOf(treePress_))) ShowSelection();
                return 0;
            case NM_RCLICK:
                TreeView_RClick();
                return TRUE;
            case NM_CUSTOMDRAW:
                return TreeView_CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
            case TVN_ENDLABELEDITW: {
                // Any label is accepted as typed, roots included, except a
                // blank one, which would leave a row that shows nothing: the
                // old label stays then.
                const wchar_t* typed = reinterpret_cast<NMTVDISPINFOW*>(header)->item.pszText;
                return typed && typed[wcsspn(typed, L" \t\u3000")] != L'\0';
            }
            default:
                return 0;
        }
    }
    return 0;
}

}  // namespace korvimo
