// Building the main window's controls, menus and toolbar.
#include <windowsx.h>

#include <algorithm>

#include "app/form1_win32.h"
#include "app/ids.h"
#include "resource_ids.h"
#include "win32/dpi_art_win32.h"

namespace korvimo {

void WatchViewerInput(HWND tree, HWND text1);

namespace {

HWND Child(const wchar_t* cls, DWORD style, DWORD exStyle, HWND parent, int id, HINSTANCE instance,
           const wchar_t* text = L"") {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void Append(HMENU menu, int id, const wchar_t* caption) { AppendMenuW(menu, MF_STRING, id, caption); }

}  // namespace

void Form1::CreateControls() {
    font_ = CreateMessageFont(scale_.dpiY);

    Splitter = Child(L"KorvimoSplitter", WS_VISIBLE, 0, hwnd_, IDC_SPLITTER, instance_);
    // The selection stays in sight while the text box has the focus; the
    // tree's own tips give way to ours, which tell what an entry holds.
    TreeView = Child(WC_TREEVIEWW,
                     WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                         TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS,
                     WS_EX_CLIENTEDGE, hwnd_, IDC_TREEVIEW, instance_);

    ImageList1 = LoadImageStrip(instance_, IDB_IMAGELIST, scale_.dpiY);
    TreeView_SetImageList(TreeView, ImageList1, TVSIL_NORMAL);

    CreateToolbar();

    TrayPicBox = Child(L"KorvimoTrayBox", 0, 0, hwnd_, IDC_TRAYPICBOX, instance_);
    Pic = Child(L"KorvimoPic", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE, hwnd_, IDC_PIC, instance_);
    Text1 = Child(WC_EDITW,
                  WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                      ES_WANTRETURN | ES_NOHIDESEL,
                  WS_EX_CLIENTEDGE, Pic, IDC_TEXT1, instance_);
    // Any clip the history holds must fit: a cut text would be written back.
    SendMessageW(Text1, EM_SETLIMITTEXT, 0, 0);
    // The arrows may lie beneath Text1: they must not paint over it.
    ImageD = Child(L"KorvimoArrow", WS_CLIPSIBLINGS, 0, Pic, IDC_IMAGED, instance_);
    ImageU = Child(L"KorvimoArrow", WS_CLIPSIBLINGS, 0, Pic, IDC_IMAGEU, instance_);
    ImageR = Child(L"KorvimoArrow", WS_CLIPSIBLINGS, 0, Pic, IDC_IMAGER, instance_);
    ImageL = Child(L"KorvimoArrow", WS_CLIPSIBLINGS, 0, Pic, IDC_IMAGEL, instance_);
    Image1 = Child(L"KorvimoImage", WS_CLIPSIBLINGS, 0, Pic, IDC_IMAGE1, instance_);

    for (HWND control : {TreeView, Text1}) SendMessageW(control, WM_SETFONT, (WPARAM)font_, TRUE);
    WatchViewerInput(TreeView, Text1);
    CreateMenus();
}

void Form1::CreateMenus() {
    TrayPop = CreatePopupMenu();
    Append(TrayPop, IDM_HS, L"隐藏(&H)");
    AppendMenuW(TrayPop, MF_SEPARATOR, 0, nullptr);  // f1
    Append(TrayPop, IDM_EXIT, L"退出(&X)");

    fileMenu_ = CreatePopupMenu();
    Append(fileMenu_, IDM_OPEN, L"打开(&O)");
    Append(fileMenu_, IDM_SAVE, L"保存(&S)");
    AppendMenuW(fileMenu_, MF_SEPARATOR, 0, nullptr);  // f2
    Append(fileMenu_, IDM_EXIT2, L"退出(&X)");

    nmzh = CreatePopupMenu();
    Append(nmzh, IDM_BIG2GB, L"BigToGB(繁体转简体)");
    Append(nmzh, IDM_GB2BIG, L"GBToBig(简体转繁体)");

    toolMenu_ = CreatePopupMenu();
    Append(toolMenu_, IDM_CLEAN, L"清空剪贴版(&C)");
    AppendMenuW(toolMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(nmzh), L"内码转换(&M)");
    Append(toolMenu_, IDM_UPDATE, L"升级(&U)");
    Append(toolMenu_, IDM_OP, L"设置(&O)");
    AppendMenuW(toolMenu_, MF_SEPARATOR, 0, nullptr);
    Append(toolMenu_, IDM_FIND, L"查找(&F)...\tCtrl+F");

    HMENU helpMenu = CreatePopupMenu();
    Append(helpMenu, IDM_HELP2, L"帮助(&H)");
    Append(helpMenu, IDM_ABOUT, L"关于(&A)");
    AppendMenuW(helpMenu, MF_SEPARATOR, 0, nullptr);  // f3
    Append(helpMenu, IDM_HOME, L"主页(&P)");
    Append(helpMenu, IDM_EMAIL, L"邮件(&E)");

    TreePop = CreatePopupMenu();
    Append(TreePop, IDM_COPY, L"复制(&C)\tCtrl+C");
    Append(TreePop, IDM_RENAME, L"重命名(&R)");
    Append(TreePop, IDM_DELETE, L"删除(&D)");

    menuBar_ = CreateMenu();
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu_), L"文件(&F)");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(toolMenu_), L"工具(&T)");
    AppendMenuW(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(helpMenu), L"帮助(&H)");
    SetMenu(hwnd_, menuBar_);
}

void Form1::CreateToolbar() {
    Toolbar1 = Child(TOOLBARCLASSNAMEW,
                     WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP, 0,
                     hwnd_, IDC_TOOLBAR, instance_);
    SendMessageW(Toolbar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(Toolbar1, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    SendMessageW(Toolbar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ImageList1));
    // Greyed by the toolbar itself, the coloured diskette becomes a flat square.
    disabledImages_ = LoadImageStrip(instance_, IDB_IMAGELIST_DISABLED, scale_.dpiY);
    SendMessageW(Toolbar1, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_));

    struct ButtonDef {
        int id;
        int image;  // 1-based image of the list, 0 for a separator
        const wchar_t* text;
    };
    // The conversion button's text is "内码转换"; its key is "码".
    const ButtonDef defs[] = {
        {IDB_TOOL_OPEN, 1, L"打开"},     {IDB_TOOL_SAVE, 2, L"保存"},   {0, 0, nullptr},
        {IDB_TOOL_DELETE, 3, L"删除"},   {IDB_TOOL_CONVERT, 8, L"内码转换"}, {0, 0, nullptr},
        {IDB_TOOL_SETTINGS, 4, L"设置"}, {0, 0, nullptr},              {IDB_TOOL_HELP, 5, L"帮助"},
    };
    TBBUTTON buttons[9] = {};
    for (int i = 0; i < 9; ++i) {
        if (!defs[i].id) {
            buttons[i].fsStyle = BTNS_SEP;
            continue;
        }
        buttons[i].iBitmap = defs[i].image - 1;
        buttons[i].idCommand = defs[i].id;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        buttons[i].iString = reinterpret_cast<INT_PTR>(defs[i].text);
    }
    // Measured in the font they are shown in.
    SendMessageW(Toolbar1, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(Toolbar1, TB_ADDBUTTONSW, 9, reinterpret_cast<LPARAM>(buttons));
    // The whole toolbar shows at the window's width at start: where the
    // texts would run past it, the six buttons give up part of their padding.
    // The toolbar sizes its buttons as they are added, so they are added again.
    RECT last{};
    SendMessageW(Toolbar1, TB_GETITEMRECT, 8, reinterpret_cast<LPARAM>(&last));
    int overflow = last.right - scale_.X(kClientWidthTwips);
    if (overflow > 0) {
        LRESULT padding = SendMessageW(Toolbar1, TB_GETPADDING, 0, 0);
        int cx = std::max(0, static_cast<int>(LOWORD(padding)) - (overflow + 5) / 6);
        for (int i = 8; i >= 0; --i) SendMessageW(Toolbar1, TB_DELETEBUTTON, i, 0);
        SendMessageW(Toolbar1, TB_SETPADDING, 0, MAKELPARAM(cx, HIWORD(padding)));
        SendMessageW(Toolbar1, TB_ADDBUTTONSW, 9, reinterpret_cast<LPARAM>(buttons));
    }
    SendMessageW(Toolbar1, TB_AUTOSIZE, 0, 0);
    WatchToolbarMouse();
}

}  // namespace korvimo
