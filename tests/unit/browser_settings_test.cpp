#include "browser/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace korvimo {
namespace {

// Records each call as a letter: capital for on, small for off, L for lrud.
struct FakeHost : SettingsHost {
    bool text = true, pic = true, stretch = false;
    std::string calls;

    bool DetectText() const override { return text; }
    bool DetectPic() const override { return pic; }
    bool Stretch() const override { return stretch; }
    void SetDetectText(bool on) override { calls += on ? "T" : "t"; }
    void SetDetectPic(bool on) override { calls += on ? "P" : "p"; }
    void SetStretch(bool on) override { calls += on ? "S" : "s"; }
    void Lrud() override { calls += "L"; }
};

// What the dialog shows is what it sets back: both flags, then the stretch, then lrud.
TEST(BrowserSettings, FillFollowsEachSettingAndApplySetsThemBackInOrder) {
    const std::pair<bool, const char*> cases[] = {{false, "tPSL"}, {true, "TpsL"}};
    for (const auto& [textOn, calls] : cases) {
        FakeHost host;
        host.text = textOn;
        host.pic = host.stretch = !textOn;
        const SettingsControls c = FillSettingsControls(host);
        EXPECT_EQ(std::make_tuple(c.check1, c.check2, c.option1, c.option2),
                  std::make_tuple(textOn, !textOn, textOn, !textOn));
        EXPECT_EQ(host.calls, "");  // filling changes nothing
        ApplySettingsControls(c, host);
        EXPECT_EQ(host.calls, calls);
    }
}

TEST(BrowserSettings, StretchedSizeIsPicLess60AndNeverNegative) {
    const StretchedSize s = StretchedImageSize(3387, 60);
    EXPECT_EQ(std::make_pair(s.width, s.height), std::make_pair(std::optional(3327), std::optional(0)));
    EXPECT_FALSE(StretchedImageSize(60, 59).height.has_value());
}

}  // namespace
}  // namespace korvimo
