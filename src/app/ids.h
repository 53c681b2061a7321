#pragma once
// Window classes, control ids and menu command ids of the main window. Other
// programs (our black-box tests among them) find the controls by these.

namespace korvimo {

inline constexpr const wchar_t* kMainWindowClass = L"KorvimoMain";
inline constexpr const wchar_t* kMainWindowCaption = L"Korvimo";
inline constexpr const wchar_t* kSingleInstanceMutex = L"Korvimo.SingleInstance";

enum ControlId : int {
    IDC_SPLITTER = 1001,
    IDC_TREEVIEW = 1002,
    IDC_TOOLBAR = 1003,
    IDC_TRAYPICBOX = 1004,
    IDC_PIC = 1005,
    IDC_TEXT1 = 1006,
    IDC_IMAGED = 1007,
    IDC_IMAGEU = 1008,
    IDC_IMAGER = 1009,
    IDC_IMAGEL = 1010,
    IDC_IMAGE1 = 1011,
};

enum TimerId : int { IDT_TIMER1 = 1 };

// The main window's shortcut keys (Ctrl+O, Ctrl+S, F1, Ctrl+F, F3, Shift+F3),
// an ACCELERATORS resource of korvimo.rc, which names the table and its
// commands by these numbers.
enum AcceleratorId : int { IDA_MAIN = 200 };

// The key that calls Korvimo up from any program: Ctrl+Alt+V.
enum HotkeyId : int { IDH_CALL_UP = 1 };

// Marks a clipboard change that is our own copy of an entry, so that the
// capture does not record it again. Other history tools see an ordinary change.
inline constexpr const wchar_t* kCopyBackFormat = L"Korvimo.CopyBack";

// Menu items; the toolbar buttons carry the ids of the commands they run,
// except the conversion button, which pops up its menu.
enum CommandId : int {
    IDM_HS = 2001,
    IDM_EXIT = 2002,
    IDM_OPEN = 2011,
    IDM_SAVE = 2012,
    IDM_EXIT2 = 2013,
    IDM_CLEAN = 2021,
    IDM_BIG2GB = 2022,
    IDM_GB2BIG = 2023,
    IDM_UPDATE = 2024,
    IDM_OP = 2025,
    IDM_FIND = 2026,
    IDM_FIND_NEXT = 2027,
    IDM_FIND_PREVIOUS = 2028,
    IDM_HELP2 = 2031,
    IDM_ABOUT = 2032,
    IDM_HOME = 2033,
    IDM_EMAIL = 2034,
    IDM_RENAME = 2041,
    IDM_DELETE = 2042,
    IDM_COPY = 2043,

    IDB_TOOL_OPEN = 2101,
    IDB_TOOL_SAVE = 2102,
    IDB_TOOL_DELETE = 2104,
    IDB_TOOL_CONVERT = 2105,
    IDB_TOOL_SETTINGS = 2107,
    IDB_TOOL_HELP = 2109,
};

}  // namespace korvimo
