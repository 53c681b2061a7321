// The main window's commands: menus, toolbar, tree notices and popups.
#include <windowsx.h>

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

// The tree reports a click before it acts on it, so its selection is still
// the one from before the click. It acts on the node under the press, not
// under the release, which may lie a few pixels on.
TreeClickTarget Form1::TreeClickTargetOf(POINT treePoint) const {
    TVHITTESTINFO hit{};
    hit.pt = treePoint;
    HTREEITEM item = TreeView_HitTest(TreeView, &hit);
    if (!item || !(hit.flags & TVHT_ONITEM)) return TreeClickTarget::NoNode;
    return item == TreeView_GetSelection(TreeView) ? TreeClickTarget::SelectedNode : TreeClickTarget::OtherNode;
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
                PopupMenuAtCursor(TreePop);
                return TRUE;
            case TVN_ENDLABELEDITW: {
                // Any label is accepted as typed, roots included.
                auto* edit = reinterpret_cast<NMTVDISPINFOW*>(header);
                return edit->item.pszText != nullptr;
            }
            default:
                return 0;
        }
    }
    return 0;
}

}  // namespace korvimo
