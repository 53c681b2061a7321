// Program entry: one instance only, then the main window's message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/form1_win32.h"
#include "app/ids.h"
#include "browser/settings_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace korvimo;
    // The mutex lives as long as the process: a second start finds it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxW(nullptr, L"程序已运行！", L"Korvimo", MB_OK);
        ExitProcess(0);
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    if (!Form1::RegisterClasses(instance)) return 1;
    Form1* form = Form1::Load(instance, showCommand);
    if (!form) return 1;

    // Ctrl+O, Ctrl+S, F1, Ctrl+F and F3 do as the menus do, wherever the focus
    // is in the main window or its find box; the other windows keep their keys.
    HACCEL shortcuts = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (SettingsDialogMessage(&message)) continue;
        if (shortcuts && form->TakesShortcuts(message.hwnd) && TranslateAcceleratorW(form->Hwnd(), shortcuts, &message))
            continue;
        if (form->FindBoxMessage(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
