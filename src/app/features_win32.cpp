// Commands whose work lives in the other subsystems.
#include "about/about_win32.h"
#include "app/form1_win32.h"
#include "app/ids.h"
#include "browser/settings_win32.h"
#include "update/frm_update_win32.h"

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
        case IDM_OP: ShowSettingsDialog(instance_, *this); break;
        case IDM_UPDATE: update_Click(instance_); break;
        case IDM_HELP2: help2_Click(hwnd_); break;
        case IDM_ABOUT: about_Click(instance_); break;
        case IDM_HOME: home_Click(hwnd_); break;
        case IDM_EMAIL: email_Click(hwnd_); break;
        default: break;
    }
}

void Form1::LoadTables() {}

}  // namespace korvimo
