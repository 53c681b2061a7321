// The main window's life: start-up, shutdown, and the routing of its messages.
#include "app/form1_win32.h"

#include <windowsx.h>

#include <cwchar>

#include "app/ids.h"
#include "app/node_param.h"
#include "browser/node_keys.h"
#include "browser/node_tip.h"
#include "gif/replace_file_win32.h"
#include "resource_ids.h"
#include "win32/ansi_codec_win32.h"
#include "win32/guard_win32.h"
#include "win32/window_class_win32.h"

namespace korvimo {

bool RegisterViewerClasses(HINSTANCE instance);
void SetTheForm(Form1* form);

namespace {

Form1* g_form = nullptr;

// How many bytes of clips stay in memory before they go to files. The tests
// set a small budget so that a short run spills too.
uint64_t StoreBudget() {
    wchar_t value[32] = L"";
    DWORD length = GetEnvironmentVariableW(L"KORVIMO_TEST_STORE_BUDGET", value, 32);
    if (length == 0 || length >= 32) return kDefaultStoreBudget;
    wchar_t* end = nullptr;
    unsigned long long bytes = wcstoull(value, &end, 10);
    return end && *end == L'\0' && end != value ? bytes : kDefaultStoreBudget;
}

LRESULT CALLBACK TrayBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

bool Form1::RegisterClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KORVIMO));
    return RegisterWindowClass(instance, {kMainWindowClass, &Form1::WndProc, arrow,
                                          reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon, CS_DBLCLKS}) &&
           RegisterWindowClass(instance, {L"KorvimoTrayBox", TrayBoxProc, arrow}) &&
           RegisterViewerClasses(instance);
}

Form1* Form1::Load(HINSTANCE instance, int showCommand) {
    auto* form = new Form1();
    g_form = form;
    SetTheForm(form);
    form->instance_ = instance;
    form->scale_ = ScreenScale::OfScreen();

    // Client area 5535 x 5025 twips, centred on the screen.
    RECT frame{0, 0, form->scale_.X(kClientWidthTwips), form->scale_.Y(5025)};
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, TRUE, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    form->hwnd_ = CreateWindowExW(0, kMainWindowClass, kMainWindowCaption, style, left, top, width, height,
                                  nullptr, nullptr, instance, form);
    if (!form->hwnd_) return nullptr;
    form->CreateControls();
    form->Form_Load();
    ShowWindow(form->hwnd_, showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ? SW_SHOWNORMAL
                                                                                            : showCommand);
    UpdateWindow(form->hwnd_);
    return form;
}

void Form1::Form_Load() {
    history_ = ClipHistory();
    history_.TextCount = 0;
    history_.PicCount = 0;
    // Until start-up switches detection on, a notice only moves the tray picture.
    history_.DetectText = kVbFalse;
    history_.DetectPic = kVbFalse;

    TempClipFiles::RemoveLeftFolders();
    clipFiles_ = std::make_unique<TempClipFiles>();
    store_ = std::make_unique<ClipStore>(*clipFiles_, StoreBudget());
    history_.Store = store_.get();
    clipboard_ = std::make_unique<SystemClipboard>(hwnd_, *store_);
    Tray = std::make_unique<CTray>();
    Tray->OnEvent = [this](TrayEvent event) { OnTrayEvent(event); };
    trayIcons_[0] = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_CLIP_FULL), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    trayIcons_[1] = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_CLIP_EMPTY), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));

    ClipboardSnapshot first;
    bool readable = clipboard_->Read(first);
    Tray->TipText(u"Korvimo");
    int picture = StartTrayPicture(readable, first);
    Tray->PicBox(TrayPicBox, trayIcons_[picture == kTrayIconEmpty ? 1 : 0]);
    SetTrayPicture(picture);
    Tray->ShowIcon();

    LoadTables();
    findNotice_ = RegisterWindowMessageW(FINDMSGSTRINGW);
    RegisterCallUpKey();

    PaneMargin = 50;
    SplitterDragColor = RGB(0x80, 0x80, 0x80);

    HTREEITEM top = roots_["M"] = AddNode(TVI_ROOT, "M", u"全部", kImageRoot);
    roots_["T"] = AddNode(top, "T", u"文本", kImageText);
    HTREEITEM pictures = roots_["P"] = AddNode(top, "P", u"图象", kImagePicture);
    TreeView_EnsureVisible(TreeView, pictures);

    HookWindow(hwnd_);
    chain_.NextViewer = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(SetClipboardViewer(hwnd_)));
    // A viewer that joins after us and passes nothing on would leave us deaf.
    AddClipboardFormatListener(hwnd_);

    history_.DetectText = kVbTrue;
    history_.DetectPic = kVbTrue;
    captures_.ReadAgain();
    CaptureClipboard();

    SetEntryCommandsEnabled(false);
    // Only the tree popup's delete starts enabled: it ignores a root or an
    // empty selection by itself.
    EnableMenuItem(TreePop, IDM_DELETE, MF_BYCOMMAND | MF_ENABLED);
    Form_Resize();
}

void Form1::Form_Unload() {
    StoreText1();
    RemoveClipboardFormatListener(hwnd_);
    RenderAllFormats();  // while the picture store is still there
    UnregisterHotKey(hwnd_, IDH_CALL_UP);
    ChangeClipboardChain(hwnd_, reinterpret_cast<HWND>(static_cast<uintptr_t>(chain_.NextViewer)));
    Tray.reset();  // removes the icon
    // Spilled clips and a GIF save's unfinished file go with the run;
    // ExitProcess runs no destructors.
    if (clipFiles_) clipFiles_->RemoveAll();
    ReplacingFile::DiscardUnfinished();
    ExitProcess(0);
}

void Form1::CaptureClipboard() {
    captures_.OnNotice([] { return static_cast<uint32_t>(GetClipboardSequenceNumber()); },
                       [this] {
                           StoreText1();  // the duplicate test compares with the entry as edited
                           return korvimo::CaptureClipboard(history_, *clipboard_, *this, *this);
                       });
}

void Form1::TellDropped(DropReason reason) {
    if (Tray)
        Tray->Balloon(reason == DropReason::NoSlotLeft ? u"历史已满：新的剪贴内容没有记录。"
                                                       : u"内存和磁盘空间不足：新的剪贴内容没有记录。");
}

void Form1::SetTrayPicture(int iconResource) {
    HICON icon = trayIcons_[iconResource == kTrayIconEmpty ? 1 : 0];
    SetWindowLongPtrW(TrayPicBox, GWLP_USERDATA, iconResource);
    if (Tray) Tray->PictureChanged(icon);
}

void Form1::AddClipNode(const std::string& parentKey, const std::string& key, const std::u16string& label,
                        int image) {
    auto parent = roots_.find(parentKey);
    if (parent == roots_.end()) return;
    HTREEITEM item = AddNode(parent->second, key, label, image);
    if (!item) return;
    newestItem_ = item;
    TreeView_EnsureVisible(TreeView, item);
    ShowTreeLeftEdge();
}

std::u16string Form1::TimeLabel() {
    wchar_t text[64] = L"";
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, 64);
    return U16(text);
}

HTREEITEM Form1::AddNode(HTREEITEM parent, const std::string& key, const std::u16string& label, int image) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(Wide(label));
    // The list is counted from 1; the tree control counts from 0.
    insert.item.iImage = image - 1;
    insert.item.iSelectedImage = image - 1;
    insert.item.mask |= TVIF_PARAM;
    insert.item.lParam = KeyToParam(key);
    HTREEITEM item = TreeView_InsertItem(TreeView, &insert);
    return item;
}

bool Form1::SelectedNodeKey(std::string& key) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = TreeView_GetSelection(TreeView);
    if (!item.hItem || !TreeView_GetItem(TreeView, &item)) return false;
    key = ParamToKey(static_cast<int32_t>(item.lParam));
    return true;
}

std::u16string Form1::NodeTip(HTREEITEM item) const {
    TVITEMW node{};
    node.mask = TVIF_PARAM | TVIF_HANDLE;
    node.hItem = item;
    if (!TreeView_GetItem(TreeView, &node)) return {};
    return EntryTip(ParamToKey(static_cast<int32_t>(node.lParam)));
}

std::u16string Form1::EntryTip(const std::string& key) const {
    NodeKey node = ClassifyKey(key);
    if (node.kind == NodeKind::TextEntry) {
        // The start of the text is all a tip shows: its first piece will do.
        std::u16string start;
        ReadTextPieces(history_.TextClips[node.slot], [&start](std::u16string_view piece) {
            start.assign(piece);
            return false;
        });
        return TextTip(start);
    }
    if (node.kind == NodeKind::PicEntry && history_.PicClips[node.slot])
        return PictureTip(history_.PicClips[node.slot]->Width(), history_.PicClips[node.slot]->Height());
    return {};
}

void Form1::OnTrayEvent(TrayEvent event) {
    // Only visible again: its state and its place in the window order stay.
    if (event == TrayEvent::LButtonDblClick) ShowWindow(hwnd_, SW_SHOWNA);
    if (event == TrayEvent::RButtonUp) Tray_RButtonUp();
}

void Form1::Tray_RButtonUp() {
    ModifyMenuW(TrayPop, IDM_HS, MF_BYCOMMAND | MF_STRING, IDM_HS,
                IsWindowVisible(hwnd_) ? L"隐藏(&H)" : L"显示(&S)");
    PopupMenuAtCursor(TrayPop);
}

void Form1::PopupMenuAtCursor(HMENU menu) {
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, hwnd_, nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Form1::hs_Click() { ShowWindow(hwnd_, IsWindowVisible(hwnd_) ? SW_HIDE : SW_SHOWNA); }

LRESULT CALLBACK Form1::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_form && g_form->hwnd_ == hwnd)
        return Guarded(hwnd, [&] { return g_form->Handle(message, wParam, lParam); });
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Form1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Form_Resize();
            return 0;
        case WM_DPICHANGED:
            Form_DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == Text1) {
                if (HIWORD(wParam) == EN_CHANGE) Text1_Change();
                return 0;
            }
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wParam) == toolMenu_) tool_Click();
            return 0;
        case WM_TIMER:
            if (wParam == IDT_TIMER1) Timer1_Timer();
            return 0;
        case WM_RENDERFORMAT:
            if (wParam == CF_DIB) RenderCopiedPicture();
            return 0;
        case WM_RENDERALLFORMATS:
            RenderAllFormats();
            return 0;
        case WM_DESTROYCLIPBOARD:
            copiedPicture_.reset();
            return 0;
        case WM_ACTIVATEAPP:
            // Left for another program, Korvimo is no longer answering a call-up.
            if (!wParam) callUp_ = {};
            return DefWindowProcW(hwnd_, message, wParam, lParam);
        case WM_HOTKEY:
            if (wParam == IDH_CALL_UP) CallUp();
            return 0;
        case WM_CLOSE:
            Form_Unload();
            return 0;
        case WM_ENDSESSION:
            // The session ends and the process with it, any moment after we
            // return: everything goes now, as at exit.
            if (wParam) Form_Unload();
            return 0;
        default:
            if (findNotice_ && message == findNotice_) {
                OnFindNotice(*reinterpret_cast<const FINDREPLACEW*>(lParam));
                return 0;
            }
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

namespace {

LRESULT CALLBACK TrayBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The shell's notices arrive here as mouse moves carrying the mouse message.
    if (message == WM_MOUSEMOVE && g_form) {
        return Guarded(g_form->Hwnd(), [&] {
            g_form->OnTrayNotice(lParam);
            return LRESULT{0};
        });
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void Form1::OnTrayNotice(LPARAM lParam) {
    if (Tray) Tray->OnBoxMouseMove(lParam);
}

}  // namespace korvimo
