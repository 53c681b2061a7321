#pragma once
// The three settings (detect text, detect pictures, stretch pictures) and the
// model of the dialog that edits them. The dialog reaches the main window
// only through SettingsHost, which the main window implements.
#include <cstdint>
#include <optional>

namespace korvimo {

class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    virtual bool DetectText() const = 0;  // DetectText != 0
    virtual void SetDetectText(bool on) = 0;  // stores -1 or 0
    virtual bool DetectPic() const = 0;
    virtual void SetDetectPic(bool on) = 0;
    virtual bool Stretch() const = 0;  // Image1's stretch mode
    // Switches Image1's stretch mode. On: Image1 becomes Pic less 60 each way
    // (StretchedImageSize); off: it takes its picture's own size.
    virtual void SetStretch(bool on) = 0;
    virtual void Lrud() = 0;
};

// The dialog's controls: Check1, Check2 and the option pair Option1/Option2
// (exactly one of them on).
struct SettingsControls {
    bool check1 = false;
    bool check2 = false;
    bool option1 = true;
    bool option2 = false;
};

// Form_Load of the dialog.
SettingsControls FillSettingsControls(const SettingsHost& host);

// Apply (and step one of OK): both flags, the stretch mode, then lrud.
void ApplySettingsControls(const SettingsControls& controls, SettingsHost& host);

// Image1's size while stretched: Pic less 60 each way. A dimension that
// would be negative is left out, so Image1 keeps its previous one.
struct StretchedSize {
    std::optional<int32_t> width, height;
};
StretchedSize StretchedImageSize(int32_t picWidth, int32_t picHeight);

}  // namespace korvimo
