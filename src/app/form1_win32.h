#pragma once
// The main window: the tree of clips beside the viewer, the menus and the
// toolbar, the tray icon, and the clipboard-viewer hook.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <map>
#include <memory>
#include <string>

#include "app/capture.h"
#include "app/clip_history.h"
#include "app/clipboard_win32.h"
#include "app/picture_bitmap_win32.h"
#include "store/clip_files_win32.h"
#include "store/clip_store.h"
#include "app/tray_win32.h"
#include "app/viewer_chain.h"
#include "browser/geometry.h"
#include "convert/code_tables.h"
#include "find/text_find.h"
#include "browser/panning.h"
#include "browser/selection.h"
#include "browser/settings.h"
#include "browser/splitter.h"
#include "win32/twips_win32.h"

namespace korvimo {

class Form1 : public CaptureView, public CaptureClock, public SettingsHost {
public:
    static bool RegisterClasses(HINSTANCE instance);
    // Creates the window and runs the start-up sequence; the window is shown.
    static Form1* Load(HINSTANCE instance, int showCommand);

    HWND Hwnd() const { return hwnd_; }

    // CaptureView, CaptureClock
    void SetTrayPicture(int iconResource) override;
    void AddClipNode(const std::string& parentKey, const std::string& key, const std::u16string& label,
                     int image) override;
    void TellDropped(DropReason reason) override;
    std::u16string TimeLabel() override;

    // SettingsHost: the settings dialog reads and applies through these.
    bool DetectText() const override { return history_.DetectText != kVbFalse; }
    void SetDetectText(bool on) override { history_.DetectText = on ? kVbTrue : kVbFalse; }
    bool DetectPic() const override { return history_.DetectPic != kVbFalse; }
    void SetDetectPic(bool on) override { history_.DetectPic = on ? kVbTrue : kVbFalse; }
    bool Stretch() const override { return image1Stretch_; }
    void SetStretch(bool on) override;
    void Lrud() override { lrud(); }

    // The replaced window procedure and what it serves.
    static LRESULT CALLBACK ClipWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void HookWindow(HWND hwnd);
    void CaptureClipboard();

    // Events of the viewer's own controls (their window procedures call these).
    void OnTrayNotice(LPARAM lParam);
    void Splitter_MouseDown(int button, int x);
    void Splitter_MouseMove(int x);
    void Splitter_MouseUp(int button, int x);
    void Arrow_MouseDown(HWND arrow);
    void Arrow_MouseUp();
    void PaintImage1(HDC dc, const RECT& client);
    void Toolbar1_MouseDown();
    // The tree's and the text box's own keys; true when the key was used up.
    bool TreeView_KeyDown(WPARAM key);
    bool Text1_KeyDown(WPARAM key);
    void TreeView_MouseDown(LPARAM point);
    // The find box's keys (Tab, Enter, Esc) are its own; true when the message was its.
    bool FindBoxMessage(MSG* message);
    // Whether the main window's shortcut keys apply to a message's window:
    // the main window, its controls and the find box, not the other windows.
    bool TakesShortcuts(HWND window) const;
    // The node whose label or picture lies under a point of the tree, if any.
    HTREEITEM NodeAt(POINT treePoint) const;
    // The tip of a node the pointer rests on: what its entry holds; empty for a root.
    std::u16string NodeTip(HTREEITEM item) const;

private:
    static constexpr int kClientWidthTwips = 5535;  // at start

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void CreateMenus();
    void CreateToolbar();
    void Form_Load();
    void Form_Unload();
    void LoadTables();
    void OnCommand(int id);
    LRESULT OnNotify(NMHDR* header);
    void PopupMenuAtCursor(HMENU menu);

    // Tray and its commands
    void OnTrayEvent(TrayEvent event);
    void Tray_RButtonUp();
    void hs_Click();

    // Menus and toolbar
    void Toolbar1_ButtonClick(int id);
    void WatchToolbarMouse();
    void OnFeatureCommand(int id);
    void tool_Click();
    void clean_Click();
    void Convert(bool big5ToGb);

    // Tree, selection and editing
    HTREEITEM AddNode(HTREEITEM parent, const std::string& key, const std::u16string& label, int image);
    bool SelectedNodeKey(std::string& key) const;
    // What an entry's tip says, read from the history by the entry's key.
    std::u16string EntryTip(const std::string& key) const;
    TreeClickTarget TreeClickTargetOf(POINT treePoint) const;
    void TreeView_RClick();
    LRESULT TreeView_CustomDraw(NMTVCUSTOMDRAW* draw) const;
    // Made visible, a long label scrolls the tree sideways; the roots must stay in view.
    void ShowTreeLeftEdge();
    void ShowSelection();
    // The bitmap of the picture Image1 shows, made when first painted and
    // shared with a save of it; one that could not be made is not tried
    // again until another picture is selected.
    SharedBitmap Image1Bitmap();
    void SetEntryCommandsEnabled(bool enabled);
    void ShowText(int32_t slot);
    void Text1_Change();
    // Writes the text box's edit into its entry. Done when the entry is
    // left and before anything reads it, not at every key: a keystroke in
    // a text of millions of characters must not copy it. False when there
    // was no room for it: the entry keeps its text, and the user is told.
    bool StoreText1();
    void rename_Click();
    void delete_Click();

    // A text entry's content piece by piece, for the find; false when the
    // slot holds no text entry or its text cannot be read back.
    bool EntryPieces(int32_t slot, const TextSink& sink) const;
    // Puts the selected entry on the clipboard; says so and returns false when that fails.
    bool copy_Click();
    bool PutOnClipboard(HGLOBAL text, const PictureRef& picture);
    // The picture copied back, made into a DIB when a program first asks for it.
    HANDLE RenderCopiedPicture() const;
    void RenderAllFormats();

    // Find
    void find_Click();
    void FindNext(bool forward);
    void OnFindNotice(const FINDREPLACEW& notice);
    bool EntryMatches(HTREEITEM item, std::u16string_view needle) const;

    // Calling Korvimo up from any program with Ctrl+Alt+V, and going back there.
    void RegisterCallUpKey();
    void CallUp();
    void GoBack(bool paste);

    // Files
    bool ShowFileDialog(bool save, const std::u16string& filter, int* filterIndex);
    bool AskReplace();
    void open_Click();
    void save_Click();

    // Layout and panning
    void Form_Resize();
    // Moved to a monitor of another DPI: fonts, pictures and layout at the new scale.
    void Form_DpiChanged(int dpi, const RECT& place);
    void lrud();
    void Timer1_Timer();
    void ApplyRect(HWND control, const TwipRect& rect);
    TwipRect PictureSize(const PictureRef& picture) const;
    // A control's own visible flag, which holds while the main window is
    // hidden to the tray (IsWindowVisible would say no for every control).
    static bool Shown(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    ScreenScale scale_;

    // The history's clips live here; declared first, it outlives them.
    std::unique_ptr<TempClipFiles> clipFiles_;
    std::unique_ptr<ClipStore> store_;
    ClipHistory history_;
    CaptureSequencer captures_;
    ViewerChain chain_;
    WNDPROC PrevWndProc = nullptr;
    std::unique_ptr<SystemClipboard> clipboard_;
    std::unique_ptr<CTray> Tray;
    HICON trayIcons_[2] = {nullptr, nullptr};  // 101, 102

    HWND Splitter = nullptr, TreeView = nullptr, Toolbar1 = nullptr, TrayPicBox = nullptr;
    HWND Pic = nullptr, Text1 = nullptr, Image1 = nullptr;
    HWND ImageD = nullptr, ImageU = nullptr, ImageR = nullptr, ImageL = nullptr;
    HIMAGELIST ImageList1 = nullptr;
    HIMAGELIST disabledImages_ = nullptr;  // the toolbar's pictures of disabled buttons
    HMENU menuBar_ = nullptr, TrayPop = nullptr, TreePop = nullptr, fileMenu_ = nullptr, toolMenu_ = nullptr,
          nmzh = nullptr;
    HFONT font_ = nullptr;
    std::map<std::string, HTREEITEM> roots_;
    POINT treePress_{};  // where the last button press on the tree was, in its client area
    HTREEITEM newestItem_ = nullptr;  // the entry added last, while it lives

    PictureRef copiedPicture_;  // ours on the clipboard, rendered on request
    HWND findBox_ = nullptr;
    FINDREPLACEW find_{};
    wchar_t findWhat_[256] = L"";
    UINT findNotice_ = 0;
    // Set while the hotkey's call-up lasts: where the user was, and whether
    // Korvimo was out of sight before.
    struct CallUpState {
        bool active = false;
        HWND target = nullptr;
        bool wasHidden = false;
    } callUp_;

    int16_t PaneMargin = 0;
    COLORREF SplitterDragColor = 0;

    // Where the layout put the controls, in twips (Text1 and Image1 inside Pic).
    TwipRect treeRect_{49, 400, 1800, 0}, picRect_, splitterRect_, text1Rect_, image1Rect_;
    bool image1Stretch_ = false;
    PictureRef image1Picture_;
    SharedBitmap image1Bitmap_;  // image1Picture_'s pixels for GDI, or none yet
    bool image1BitmapFailed_ = false;
    int32_t text1Slot_ = -1;     // the text entry Text1 shows, -1 none
    bool text1Edited_ = false;   // Text1 holds an edit its entry does not have yet
    bool text1ReadOnly_ = false; // Text1 shows no exact copy of its entry
    CodeTables codeTables_;
    std::u16string dialogFileName_;  // kept between uses, as the dialog remembers it
    PanState pan_;
    SplitterDrag splitterDrag_;
    void ApplySplitter(const SplitterCommands& commands);
};

}  // namespace korvimo
