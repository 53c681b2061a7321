// The find box: the system's own modeless find dialog, as Notepad has it,
// searching every entry's label and every text entry's content.
#include <string>
#include <vector>

#include "app/form1_win32.h"
#include "app/node_param.h"
#include "browser/node_keys.h"
#include "win32/ansi_codec_win32.h"

namespace korvimo {

namespace {

// A find through hundreds of big texts takes seconds. Between two entries the
// window still paints and answers clipboard notices and other programs' sent
// messages, so it never looks hung and no change is missed; input waits until
// the find is done, so nothing the find walks is deleted under it.
void LetPaintAndNoticesIn() {
    MSG message;
    for (int i = 0; i < 64 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE); ++i)
        DispatchMessageW(&message);
}

}  // namespace

void Form1::find_Click() {
    if (findBox_) {
        SetActiveWindow(findBox_);
        return;
    }
    find_ = {};
    find_.lStructSize = sizeof find_;
    find_.hwndOwner = hwnd_;
    // Case is always ignored, and a word may stand anywhere in the text.
    find_.Flags = FR_DOWN | FR_HIDEMATCHCASE | FR_HIDEWHOLEWORD;
    find_.lpstrFindWhat = findWhat_;
    find_.wFindWhatLen = ARRAYSIZE(findWhat_);
    findBox_ = FindTextW(&find_);
}

bool Form1::FindBoxMessage(MSG* message) { return findBox_ && IsDialogMessageW(findBox_, message); }

bool Form1::TakesShortcuts(HWND window) const {
    return window == hwnd_ || IsChild(hwnd_, window) || (findBox_ && (window == findBox_ || IsChild(findBox_, window)));
}

void Form1::OnFindNotice(const FINDREPLACEW& notice) {
    if (notice.Flags & FR_DIALOGTERM) findBox_ = nullptr;
    if (notice.Flags & FR_FINDNEXT) FindNext((notice.Flags & FR_DOWN) != 0);
}

bool Form1::EntryMatches(HTREEITEM item, std::u16string_view needle) const {
    wchar_t label[1024] = L"";
    TVITEMW node{};
    node.mask = TVIF_PARAM | TVIF_TEXT | TVIF_HANDLE;
    node.hItem = item;
    node.pszText = label;
    node.cchTextMax = ARRAYSIZE(label);
    if (!TreeView_GetItem(TreeView, &node)) return false;
    if (TextContains(U16(label), needle)) return true;
    const NodeKey key = ClassifyKey(ParamToKey(static_cast<int32_t>(node.lParam)));
    if (key.kind != NodeKind::TextEntry) return false;
    return PiecesContain([this](int32_t slot, const TextSink& sink) { return EntryPieces(slot, sink); }, key.slot,
                         needle);
}

// From the selection on, round past the end, in the tree's order: the text
// entries, then the pictures. F3 before any search opens the box.
void Form1::FindNext(bool forward) {
    const std::u16string needle = U16(findWhat_);
    if (needle.empty()) return find_Click();
    if (!StoreText1()) return;  // the entry shown is searched as edited
    std::vector<HTREEITEM> entries;
    std::optional<size_t> current;
    const HTREEITEM selected = TreeView_GetSelection(TreeView);
    for (const char* root : {"T", "P"})
        for (HTREEITEM item = TreeView_GetChild(TreeView, roots_[root]); item;
             item = TreeView_GetNextSibling(TreeView, item)) {
            if (item == selected) current = entries.size();
            entries.push_back(item);
        }
    const std::optional<size_t> found =
        NextMatch(entries.size(), current, forward, [&](size_t i) {
            LetPaintAndNoticesIn();
            return EntryMatches(entries[i], needle);
        });
    if (found) {
        TreeView_SelectItem(TreeView, entries[*found]);
        TreeView_EnsureVisible(TreeView, entries[*found]);
        return;
    }
    const std::wstring text = L"找不到 \"" + std::wstring(findWhat_) + L"\"";
    MessageBoxW(findBox_ ? findBox_ : hwnd_, text.c_str(), L"Korvimo", MB_OK | MB_ICONINFORMATION);
}

}  // namespace korvimo
