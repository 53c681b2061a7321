#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/tray_record.h"

namespace korvimo {

// The tray icon. It borrows a hidden box window of its owner: the box's
// picture is the icon, and the shell's notices arrive at the box as mouse moves.
class CTray {
public:
    CTray();
    ~CTray();  // removes the icon
    CTray(const CTray&) = delete;
    CTray& operator=(const CTray&) = delete;

    void PicBox(HWND box, HICON picture);
    std::u16string TipText() const { return record_.TipField(); }
    void TipText(const std::u16string& tip);
    int16_t ShowIcon();
    void DeleteIcon();
    // The box's picture changed: the icon follows it at once.
    void PictureChanged(HICON picture);
    // A balloon from the icon, titled Korvimo, with `text`.
    void Balloon(const std::u16string& text);

    // Called by the box for every mouse move it receives.
    void OnBoxMouseMove(LPARAM lParam);
    std::function<void(TrayEvent)> OnEvent;

private:
    void Notify(DWORD message);
    NotifyRecord record_;
    TrayEventGate gate_;
    HWND box_ = nullptr;
};

}  // namespace korvimo
