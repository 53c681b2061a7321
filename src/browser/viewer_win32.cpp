// The main window's viewer: what selecting a node shows, editing and deleting
// entries, and placing the panes. The decisions come from the browser core;
// this file carries them out on the controls.
#include <windowsx.h>

#include "app/form1_win32.h"
#include "app/ids.h"
#include "browser/layout.h"
#include "browser/selection.h"
#include "browser/text_view.h"
#include "win32/ansi_codec_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {

void Form1::ApplyRect(HWND control, const TwipRect& rect) {
    SetWindowPos(control, nullptr, scale_.X(rect.left), scale_.Y(rect.top), scale_.X(rect.width),
                 scale_.Y(rect.height), SWP_NOZORDER | SWP_NOACTIVATE);
}

TwipRect Form1::PictureSize(const PictureRef& picture) const {
    if (!picture) return {};
    return {0, 0, scale_.TwipsX(picture->Width()), scale_.TwipsY(picture->Height())};
}

void Form1::SetEntryCommandsEnabled(bool enabled) {
    EnableMenuItem(fileMenu_, IDM_SAVE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(TreePop, IDM_DELETE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    for (int id : {IDB_TOOL_SAVE, IDB_TOOL_DELETE, IDB_TOOL_CONVERT})
        SendMessageW(Toolbar1, TB_ENABLEBUTTON, id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void Form1::ShowSelection() {
    std::string key;
    bool selected = SelectedNodeKey(key);
    SelectionPlan plan = PlanShowSelection(selected ? korvimo::SelectedKey(key) : korvimo::SelectedKey());
    // The entry being left keeps its edit; then nothing writes into it until shown again.
    StoreText1();
    if (plan.touchText1) text1Slot_ = -1;

    if (plan.commands != EntryCommands::Untouched) SetEntryCommandsEnabled(plan.commands == EntryCommands::Enable);
    if (plan.image1 == Image1Action::Hide) {
        ShowWindow(Image1, SW_HIDE);
        // Only another picture entry shows Image1 again, with its own picture.
        image1Picture_.reset();
        image1Bitmap_.reset();
        image1BitmapFailed_ = false;
    }
    if (plan.touchText1) {
        if (plan.text1Visible && plan.textSlot >= 0) {
            ShowWindow(Text1, SW_SHOW);
            ShowText(plan.textSlot);
        } else {
            ShowWindow(Text1, SW_HIDE);
        }
    }
    if (plan.image1 == Image1Action::ShowAtOrigin && plan.picSlot >= 0) {
        if (image1Picture_ != history_.PicClips[plan.picSlot]) {
            image1Picture_ = history_.PicClips[plan.picSlot];
            image1Bitmap_.reset();  // made for this picture when it is painted
            image1BitmapFailed_ = false;
        }
        TwipRect size = PictureSize(image1Picture_);
        image1Rect_.left = 0;
        image1Rect_.top = 0;
        if (!image1Stretch_) {
            image1Rect_.width = size.width;
            image1Rect_.height = size.height;
        }
        ApplyRect(Image1, image1Rect_);
        ShowWindow(Image1, SW_SHOW);
        InvalidateRect(Image1, nullptr, TRUE);
    }
    if (plan.callLrud) lrud();
}

void Form1::ShowText(int32_t slot) {
    std::optional<ShownText> shown = TextToShow(history_.TextClips[slot]);
    const bool taken = shown && SetWindowTextW(Text1, Wide(shown->text));
    // A box that could not take the text shows nothing, and nothing it
    // holds may be written into this entry.
    if (!taken) SetWindowTextW(Text1, L"");
    text1ReadOnly_ = !taken || shown->readOnly;
    SendMessageW(Text1, EM_SETREADONLY, text1ReadOnly_ ? TRUE : FALSE, 0);
    text1Slot_ = slot;
    text1Edited_ = false;  // the notice of the text just set is no edit
    if (!taken) TellOutOfMemory(hwnd_);
}

void Form1::Text1_Change() {
    if (text1Slot_ >= 0 && !text1ReadOnly_) text1Edited_ = true;
}

bool Form1::StoreText1() {
    if (!text1Edited_ || text1Slot_ < 0) return true;
    text1Edited_ = false;
    bool stored = false;
    try {
        int length = GetWindowTextLengthW(Text1);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        int got = GetWindowTextW(Text1, text.data(), length + 1);
        text.resize(static_cast<size_t>(got > 0 ? got : 0));
        stored = history_.RewriteText(text1Slot_, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
    } catch (const std::bad_alloc&) {
    }
    if (!stored) TellOutOfMemory(hwnd_);
    return stored;
}

void Form1::rename_Click() {
    HTREEITEM item = TreeView_GetSelection(TreeView);
    if (!item) return;
    SetFocus(TreeView);
    TreeView_EditLabel(TreeView, item);
}

// The thumb put at 0 rather than SB_LEFT, which Wine's tree does not act on.
void Form1::ShowTreeLeftEdge() { SendMessageW(TreeView, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0); }

void Form1::TreeView_MouseDown(LPARAM point) { treePress_ = {GET_X_LPARAM(point), GET_Y_LPARAM(point)}; }

// Tab goes over to the text box while it shows; Delete and F2 are the
// popup's 删除 and 重命名, offered as the popup offers them; Ctrl+C and Enter
// its 复制. After the hotkey's call-up, Enter pastes the entry where the user
// was, and Esc goes back there.
bool Form1::TreeView_KeyDown(WPARAM key) {
    switch (key) {
        case 'C':
            if (GetKeyState(VK_CONTROL) >= 0) return false;
            copy_Click();
            return true;
        case VK_RETURN:
            if (copy_Click() && callUp_.active) GoBack(true);
            return true;
        case VK_ESCAPE:
            if (!callUp_.active) return false;
            GoBack(false);
            return true;
        case VK_TAB:
            if (Shown(Text1)) SetFocus(Text1);
            return true;
        case VK_DELETE:
            if (!(GetMenuState(TreePop, IDM_DELETE, MF_BYCOMMAND) & MF_GRAYED)) delete_Click();
            return true;
        case VK_F2:
            rename_Click();
            return true;
        default:
            return false;
    }
}

// Tab goes back to the tree; Ctrl+Tab types a tab, as in a dialog's text box.
bool Form1::Text1_KeyDown(WPARAM key) {
    if (key != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) < 0)
        SendMessageW(Text1, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
    else
        SetFocus(TreeView);
    return true;
}

void Form1::delete_Click() {
    std::string key;
    bool selected = SelectedNodeKey(key);
    DeletePlan plan = PlanDelete(selected ? korvimo::SelectedKey(key) : korvimo::SelectedKey());
    if (!plan.proceed) return;
    // Its memory and its file go at once, and so does the box's copy.
    if (plan.clearTextSlot >= 0 && plan.clearTextSlot == text1Slot_) {
        text1Slot_ = -1;
        text1Edited_ = false;
        SetWindowTextW(Text1, L"");
    }
    if (plan.clearTextSlot >= 0) history_.TextClips[plan.clearTextSlot].reset();
    if (plan.releasePicSlot >= 0) history_.PicClips[plan.releasePicSlot].reset();
    HTREEITEM item = TreeView_GetSelection(TreeView);
    if (item == newestItem_) newestItem_ = nullptr;
    TreeView_DeleteItem(TreeView, item);
    ShowSelection();
}

void Form1::Form_Resize() {
    if (!Pic) return;
    // Minimising hides the window instead: the program lives on in the tray.
    if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_HIDE);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(hwnd_, &placement);
        placement.showCmd = SW_SHOWNORMAL;
        placement.flags = 0;
        SetWindowPlacement(hwnd_, &placement);
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    LayoutInput in;
    in.innerWidth = client.right * 1440.0 / scale_.dpiX;
    in.innerHeight = client.bottom * 1440.0 / scale_.dpiY;
    in.paneMargin = PaneMargin;
    in.image1Stretch = image1Stretch_;
    in.tree = treeRect_;
    in.pic = picRect_;
    in.splitter = splitterRect_;
    in.text1 = text1Rect_;
    in.image1 = image1Rect_;
    LayoutResult out = ComputeLayout(in);
    treeRect_ = out.tree;
    picRect_ = out.pic;
    splitterRect_ = out.splitter;
    text1Rect_ = out.text1;
    image1Rect_ = out.image1;
    ApplyRect(TreeView, treeRect_);
    ApplyRect(Pic, picRect_);
    ApplyRect(Splitter, splitterRect_);
    ApplyRect(Text1, text1Rect_);
    ApplyRect(Image1, image1Rect_);
    lrud();
}

void Form1::SetStretch(bool on) {
    image1Stretch_ = on;
    if (on) {
        StretchedSize size = StretchedImageSize(picRect_.width, picRect_.height);
        if (size.height) image1Rect_.height = *size.height;
        if (size.width) image1Rect_.width = *size.width;
    } else if (image1Picture_) {
        // Back to the picture's own size.
        TwipRect own = PictureSize(image1Picture_);
        image1Rect_.width = own.width;
        image1Rect_.height = own.height;
    }
    ApplyRect(Image1, image1Rect_);
    InvalidateRect(Image1, nullptr, TRUE);
}

SharedBitmap Form1::Image1Bitmap() {
    // Panning repaints every 100 ms: a picture with no room for its bitmap
    // must not be read back each time.
    if (!image1Bitmap_ && image1Picture_ && !image1BitmapFailed_) {
        image1Bitmap_ = MakePictureBitmap(image1Picture_);
        image1BitmapFailed_ = !image1Bitmap_;
    }
    return image1Bitmap_;
}

void Form1::PaintImage1(HDC dc, const RECT& client) {
    HBITMAP bitmap = Image1Bitmap().get();
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    int width = image1Picture_->Width(), height = image1Picture_->Height();
    if (image1Stretch_) {
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, width, height, SRCCOPY);
    } else {
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace korvimo

namespace korvimo {

void Form1::lrud() {
    ArrowPlan plan = PlanArrows(Shown(Image1), image1Stretch_, image1Rect_, picRect_.width,
                                picRect_.height);
    const std::pair<HWND, const ArrowPlacement*> arrows[] = {
        {ImageU, &plan.up}, {ImageD, &plan.down}, {ImageL, &plan.left}, {ImageR, &plan.right}};
    for (const auto& [arrow, place] : arrows) {
        if (place->left && place->top) {
            // 21 x 21 pixels; they sit above the picture.
            SetWindowPos(arrow, HWND_TOP, scale_.X(*place->left), scale_.Y(*place->top), scale_.X(315),
                         scale_.Y(315), SWP_NOACTIVATE);
        }
        ShowWindow(arrow, place->visible ? SW_SHOWNA : SW_HIDE);
    }
    // The text box lies over the arrows of the picture beneath it, so the
    // clicks on its scroll bars are its own.
    if (Shown(Text1)) SetWindowPos(Text1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form1::Arrow_MouseDown(HWND arrow) {
    int32_t direction = arrow == ImageL ? kPanLeft : arrow == ImageR ? kPanRight : arrow == ImageU ? kPanUp : kPanDown;
    pan_.ArrowDown(direction);
    SetTimer(hwnd_, IDT_TIMER1, kPanTimerInterval, nullptr);
}

void Form1::Arrow_MouseUp() {
    pan_.ArrowUp();
    KillTimer(hwnd_, IDT_TIMER1);
}

void Form1::Timer1_Timer() {
    image1Rect_ = pan_.Tick(image1Rect_, picRect_.width, picRect_.height);
    if (!pan_.timerEnabled) KillTimer(hwnd_, IDT_TIMER1);
    ApplyRect(Image1, image1Rect_);
    lrud();
}

namespace {

SplitterView ViewOf(HWND window, HWND splitter, HWND tree, const ScreenScale& scale, int16_t margin) {
    RECT client, splitterRect, treeRect;
    GetClientRect(window, &client);
    GetWindowRect(splitter, &splitterRect);
    GetWindowRect(tree, &treeRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&splitterRect), 2);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&treeRect), 2);
    SplitterView view;
    view.splitterLeft = scale.TwipsX(splitterRect.left);
    view.treeLeft = scale.TwipsX(treeRect.left);
    view.innerWidth = client.right * 1440.0 / scale.dpiX;
    view.innerHeight = client.bottom * 1440.0 / scale.dpiY;
    view.paneMargin = margin;
    return view;
}

}  // namespace

void Form1::ApplySplitter(const SplitterCommands& commands) {
    if (commands.moveSplitter) {
        splitterRect_ = *commands.moveSplitter;
        ApplyRect(Splitter, splitterRect_);
    }
    if (commands.color) {
        COLORREF colour = *commands.color == kSplitterRestColor ? 0 : static_cast<COLORREF>(*commands.color);
        SetWindowLongPtrW(Splitter, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        InvalidateRect(Splitter, nullptr, TRUE);
    }
    if (commands.treeWidth) treeRect_.width = *commands.treeWidth;
    if (commands.runLayout) Form_Resize();
}

void Form1::Splitter_MouseDown(int button, int x) {
    ApplySplitter(splitterDrag_.MouseDown(button, scale_.TwipsX(x), ViewOf(hwnd_, Splitter, TreeView, scale_, PaneMargin)));
}

void Form1::Splitter_MouseMove(int x) {
    ApplySplitter(splitterDrag_.MouseMove(scale_.TwipsX(x), ViewOf(hwnd_, Splitter, TreeView, scale_, PaneMargin)));
}

void Form1::Splitter_MouseUp(int, int x) {
    ApplySplitter(splitterDrag_.MouseUp(scale_.TwipsX(x), ViewOf(hwnd_, Splitter, TreeView, scale_, PaneMargin)));
}

}  // namespace korvimo
