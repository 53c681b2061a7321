// Commands whose work lives in the other subsystems.

#include "about/about_win32.h"
#include "app/form1_win32.h"
#include "app/ids.h"
#include "browser/node_keys.h"
#include "browser/open_save.h"
#include "browser/settings_win32.h"
#include "convert/code_tables_win32.h"
#include "convert/convert_text.h"
#include "convert/convert_text_win32.h"
#include "update/frm_update_win32.h"
#include "win32/ansi_codec_win32.h"
#include "win32/guard_win32.h"

namespace korvimo {

namespace {
Form1* g_theForm = nullptr;
}

Form1* TheForm() { return g_theForm; }
void SetTheForm(Form1* form) { g_theForm = form; }

void Form1::OnFeatureCommand(int id) {
    switch (id) {
        case IDM_OPEN: open_Click(); break;
        case IDM_SAVE: save_Click(); break;
        case IDM_BIG2GB: Convert(true); break;
        case IDM_GB2BIG: Convert(false); break;
        case IDM_OP: ShowSettingsDialog(instance_, *this); break;
        case IDM_UPDATE: update_Click(instance_); break;
        case IDM_HELP2: help2_Click(hwnd_); break;
        case IDM_ABOUT: about_Click(instance_); break;
        case IDM_HOME: home_Click(hwnd_); break;
        case IDM_EMAIL: email_Click(hwnd_); break;
        case IDM_FIND: find_Click(); break;
        case IDM_FIND_NEXT: FindNext(true); break;
        case IDM_FIND_PREVIOUS: FindNext(false); break;
        default: break;
    }
}

void Form1::LoadTables() { codeTables_ = LoadCodeTables(instance_); }

// big2gb and gb2big: rewrite the shown text and store it into its entry.
void Form1::Convert(bool big5ToGb) {
    std::string key;
    if (!SelectedNodeKey(key)) return;
    if (ClassifyKey(key).kind != NodeKind::TextEntry) return;  // only a shown text is converted
    if (text1Slot_ < 0 || !text1ReadOnly_) {
        ConvertWindowText(Text1, codeTables_, big5ToGb);
        Text1_Change();
        StoreText1();  // the text box's text, now converted, goes into the entry
        return;
    }
    // The box shows no exact copy of this entry: the entry itself is converted.
    const int32_t slot = text1Slot_;
    const TextRef& text = history_.TextClips[slot];
    std::u16string converted;
    converted.reserve(text ? text->Length() : 0);
    // A pair split between two pieces is no character of the code page on
    // either side: both halves stay as they are, and so together again.
    const bool read = ReadTextPieces(text, [&](std::u16string_view piece) {
        converted += ConvertHeldText(std::u16string(piece), codeTables_, SystemCodec(), big5ToGb);
        return true;
    });
    if (!read || !history_.RewriteText(slot, converted)) return TellOutOfMemory(hwnd_);
    converted = std::u16string();
    ShowText(slot);
}

}  // namespace korvimo
