#include "browser/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvimo {
namespace {

class FakeHost : public SettingsHost {
public:
    bool detectText = true;
    bool detectPic = true;
    bool stretch = false;
    std::vector<std::string> calls;

    bool DetectText() const override { return detectText; }
    void SetDetectText(bool on) override {
        detectText = on;
        calls.push_back(on ? "text on" : "text off");
    }
    bool DetectPic() const override { return detectPic; }
    void SetDetectPic(bool on) override {
        detectPic = on;
        calls.push_back(on ? "pic on" : "pic off");
    }
    bool Stretch() const override { return stretch; }
    void SetStretch(bool on) override {
        stretch = on;
        calls.push_back(on ? "stretch" : "own size");
    }
    void Lrud() override { calls.push_back("lrud"); }
};

TEST(BrowserSettings, FillFollowsEachSettingSeparately) {
    struct Case {
        bool text, pic, stretch;
    };
    for (Case k : {Case{true, true, false}, Case{false, true, true}, Case{true, false, false}}) {
        FakeHost host;
        host.detectText = k.text;
        host.detectPic = k.pic;
        host.stretch = k.stretch;
        SettingsControls c = FillSettingsControls(host);
        EXPECT_EQ(c.check1, k.text);
        EXPECT_EQ(c.check2, k.pic);
        EXPECT_EQ(c.option2, k.stretch);
        EXPECT_EQ(c.option1, !k.stretch);
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST(BrowserSettings, ApplySetsBothFlagsThenStretchThenLrud) {
    FakeHost host;
    SettingsControls c;
    c.check1 = false;
    c.check2 = true;
    c.option1 = false;
    c.option2 = true;
    ApplySettingsControls(c, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"text off", "pic on", "stretch", "lrud"}));

    host.calls.clear();
    c.check1 = true;
    c.check2 = false;
    c.option1 = true;
    c.option2 = false;
    ApplySettingsControls(c, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"text on", "pic off", "own size", "lrud"}));
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
