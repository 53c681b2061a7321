#include "browser/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvimo {
namespace {

class FakeHost : public SettingsHost {
public:
    int16_t detectText = kSettingTrue;
    int16_t detectPic = kSettingTrue;
    bool stretch = false;
    std::vector<std::string> calls;

    bool DetectText() const override { return detectText != 0; }
    void SetDetectText(bool on) override {
        detectText = ToSettingFlag(on);
        calls.push_back("text");
    }
    bool DetectPic() const override { return detectPic != 0; }
    void SetDetectPic(bool on) override {
        detectPic = ToSettingFlag(on);
        calls.push_back("pic");
    }
    bool Stretch() const override { return stretch; }
    void SetStretch(bool on) override {
        stretch = on;
        calls.push_back(on ? "stretch" : "own size");
    }
    void Lrud() override { calls.push_back("lrud"); }
};

TEST(BrowserSettings, DefaultsFillBothChecksAndOwnSize) {
    FakeHost host;
    SettingsControls c = FillSettingsControls(host);
    EXPECT_TRUE(c.check1);
    EXPECT_TRUE(c.check2);
    EXPECT_TRUE(c.option1);
    EXPECT_FALSE(c.option2);
    EXPECT_TRUE(host.calls.empty());
}

TEST(BrowserSettings, FillFollowsEachSettingSeparately) {
    FakeHost host;
    host.detectText = kSettingFalse;
    host.stretch = true;
    SettingsControls c = FillSettingsControls(host);
    EXPECT_FALSE(c.check1);
    EXPECT_TRUE(c.check2);
    EXPECT_FALSE(c.option1);
    EXPECT_TRUE(c.option2);
}

TEST(BrowserSettings, ApplyStoresSixteenBitFlagsThenStretchThenLrud) {
    FakeHost host;
    SettingsControls c;
    c.check1 = false;
    c.check2 = true;
    c.option1 = false;
    c.option2 = true;
    ApplySettingsControls(c, host);
    EXPECT_EQ(host.detectText, 0);
    EXPECT_EQ(host.detectPic, -1);
    EXPECT_TRUE(host.stretch);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"text", "pic", "stretch", "lrud"}));

    host.calls.clear();
    c.option1 = true;
    c.option2 = false;
    ApplySettingsControls(c, host);
    EXPECT_FALSE(host.stretch);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"text", "pic", "own size", "lrud"}));
}

TEST(BrowserSettings, ApplyingTheFilledValuesChangesNothing) {
    FakeHost host;
    host.detectPic = kSettingFalse;
    host.stretch = true;
    ApplySettingsControls(FillSettingsControls(host), host);
    EXPECT_EQ(host.detectText, -1);
    EXPECT_EQ(host.detectPic, 0);
    EXPECT_TRUE(host.stretch);
}

TEST(BrowserSettings, StretchedSizeIsPicLess60) {
    StretchedSize s = StretchedImageSize(3387, 4625);
    EXPECT_EQ(s.width, std::optional<int32_t>(3327));
    EXPECT_EQ(s.height, std::optional<int32_t>(4565));
    s = StretchedImageSize(60, 59);
    EXPECT_EQ(s.width, std::optional<int32_t>(0));
    EXPECT_FALSE(s.height.has_value());
}

}  // namespace
}  // namespace korvimo
