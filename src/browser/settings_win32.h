#pragma once
// The settings dialog "设置": a modeless window without owner, created on
// first use and shown again while it is open. It reaches the main window only
// through SettingsHost (browser/settings.h), which the main window implements.
//
// Window class "KorvimoSetting". Every control is a direct child of the
// dialog, so another process finds it with GetDlgItem(dialog, id) and can
// press it with BM_CLICK, or send WM_COMMAND(MAKEWPARAM(id, BN_CLICKED)) to
// the dialog itself:
//   3001 Frame1   group box "数据检测"
//   3002 Check1   check box "自动检测剪贴板中的文本数据"  (DetectText)
//   3003 Check2   check box "自动检测剪贴板中的图象数据"  (DetectPic)
//   3004 Frame2   group box "图象显示"
//   3005 Option1  radio "按照原图大小显示"  (own size)
//   3006 Option2  radio "拉伸显示"          (stretch)
//   3007 Command1 "确定"  apply, then close
//   3008 Command2 "取消"  close without applying
//   3009 Command3 "应用"  apply, stay open
// Closing by the close box, Alt+F4, Esc or WM_CLOSE is the same as "取消". Enter
// presses the focused button, or "确定", the default button, from elsewhere.
#include <windows.h>

#include "browser/settings.h"

namespace korvimo {

inline constexpr const wchar_t* kSettingWindowClass = L"KorvimoSetting";
inline constexpr const wchar_t* kSettingCaption = L"设置";

enum SettingControlId : int {
    IDC_SETTING_FRAME1 = 3001,
    IDC_SETTING_CHECK1 = 3002,
    IDC_SETTING_CHECK2 = 3003,
    IDC_SETTING_FRAME2 = 3004,
    IDC_SETTING_OPTION1 = 3005,
    IDC_SETTING_OPTION2 = 3006,
    IDC_SETTING_COMMAND1 = 3007,  // OK
    IDC_SETTING_COMMAND2 = 3008,  // Cancel
    IDC_SETTING_COMMAND3 = 3009,  // Apply
};

// op_Click (and the toolbar's "设置" button): loads the dialog, filled from
// the host's settings, or brings back the one already open unchanged. The
// host must outlive the dialog.
void ShowSettingsDialog(HINSTANCE instance, SettingsHost& host);

// The dialog's window while it is loaded, otherwise nullptr.
HWND SettingsDialogWindow();

// For the message loop: lets Tab and the arrow keys move between the
// dialog's controls. True when the message was used up.
bool SettingsDialogMessage(MSG* message);

// Unloads the dialog without applying, if it is loaded.
void CloseSettingsDialog();

}  // namespace korvimo
