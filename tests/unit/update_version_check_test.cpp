#include "update/version_check.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(CheckVersion, ExactlyOurVersionIsLatest) {
    UpdateInfo info;
    VersionDecision d = CheckVersion(u"2.20\r\nhttp://example.org/new.exe\r\n", info);
    EXPECT_EQ(d.verdict, VersionVerdict::kLatest);
    EXPECT_EQ(d.message, u"您使用的是最新版本");
    EXPECT_TRUE(d.link_to_open.empty());
    EXPECT_EQ(info.UpdateVersion, u"2.20");
}

TEST(CheckVersion, AnyOtherFirstLineOffersTheUpdate) {
    for (const char16_t* text : {u"2.20 \r\nhttp://a.example/", u"2.2\r\nhttp://a.example/", u"2.30\r\nhttp://a.example/",
                                 u"1.00\r\nhttp://a.example/", u" 2.20\r\nhttp://a.example/"}) {
        UpdateInfo info;
        VersionDecision d = CheckVersion(text, info);
        EXPECT_EQ(d.verdict, VersionVerdict::kOfferUpdate) << std::string(info.UpdateVersion.begin(), info.UpdateVersion.end());
        EXPECT_EQ(d.message, u"发现新版本，是否要更新？");
        EXPECT_EQ(d.link_to_open, u"http://a.example/");
    }
}

TEST(CheckVersion, LastLineIsTheLink) {
    UpdateInfo info;
    VersionDecision d = CheckVersion(u"2.30\r\nhttp://one.example/\r\nhttp://three.example/\r\n", info);
    EXPECT_EQ(info.UpdateLink, u"http://three.example/");
    EXPECT_EQ(d.link_to_open, u"http://three.example/");
}

TEST(CheckVersion, LoneCrEndsLines) {
    UpdateInfo info;
    CheckVersion(u"2.30\rhttp://cr.example/", info);
    EXPECT_EQ(info.UpdateVersion, u"2.30");
    EXPECT_EQ(info.UpdateLink, u"http://cr.example/");
}

TEST(CheckVersion, LfOnlyFileIsOneLineAndKeepsTheEarlierLink) {
    UpdateInfo info;
    CheckVersion(u"2.30\r\nhttp://earlier.example/\r\n", info);
    VersionDecision d = CheckVersion(u"2.20\nhttp://later.example/\n", info);
    EXPECT_EQ(info.UpdateVersion, u"2.20\nhttp://later.example/\n");
    EXPECT_EQ(d.verdict, VersionVerdict::kOfferUpdate);
    EXPECT_EQ(info.UpdateLink, u"http://earlier.example/");
    EXPECT_EQ(d.link_to_open, u"http://earlier.example/");
}

TEST(CheckVersion, FirstCheckWithoutALinkOpensNothing) {
    UpdateInfo info;
    VersionDecision d = CheckVersion(u"2.30\nhttp://x.example/", info);
    EXPECT_EQ(d.verdict, VersionVerdict::kOfferUpdate);
    EXPECT_TRUE(info.UpdateLink.empty());
    EXPECT_TRUE(d.link_to_open.empty());
}

TEST(CheckVersion, FileWithoutAVersionLineFailsAndKeepsEverything) {
    for (const char16_t* text : {u"", u"\r\nhttp://new.example/\r\n"}) {
        for (const char16_t* earlier : {u"", u"2.20"}) {
            UpdateInfo info{earlier, u"http://kept.example/"};
            VersionDecision d = CheckVersion(text, info);
            EXPECT_EQ(d.verdict, VersionVerdict::kFailed);
            EXPECT_TRUE(d.link_to_open.empty());
            EXPECT_EQ(info.UpdateVersion, earlier);
            EXPECT_EQ(info.UpdateLink, u"http://kept.example/");
        }
    }
}

TEST(CheckVersion, LinkThatIsNotAWebAddressIsNotOpened) {
    UpdateInfo info;
    VersionDecision d = CheckVersion(u"2.30\r\nc:\\windows\\system32\\calc.exe\r\n", info);
    EXPECT_EQ(d.verdict, VersionVerdict::kOfferUpdate);
    EXPECT_EQ(info.UpdateLink, u"c:\\windows\\system32\\calc.exe");
    EXPECT_TRUE(d.link_to_open.empty());
}

TEST(IsOpenableUpdateLink, WebSchemesOnly) {
    EXPECT_TRUE(IsOpenableUpdateLink(u"http://example.org/"));
    EXPECT_TRUE(IsOpenableUpdateLink(u"https://example.org/a?b=c"));
    EXPECT_TRUE(IsOpenableUpdateLink(u"HTTP://E"));  // the shortest link taken
    EXPECT_TRUE(IsOpenableUpdateLink(u"HtTpS://example.org"));
    EXPECT_TRUE(IsOpenableUpdateLink(u"http://例子.example/"));

    EXPECT_FALSE(IsOpenableUpdateLink(u""));
    EXPECT_FALSE(IsOpenableUpdateLink(u"http://"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"https://"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"ftp://example.org/"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"file:///c:/windows/notepad.exe"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"notepad.exe"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"c:\\x.exe"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"javascript:alert(1)"));
    EXPECT_FALSE(IsOpenableUpdateLink(u" http://example.org/"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"httpx://example.org/"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"http:/example.org/"));
    EXPECT_FALSE(IsOpenableUpdateLink(u"http://example.org/\tx"));
    EXPECT_FALSE(IsOpenableUpdateLink(std::u16string(u"http://a\0b", 10)));
}

}  // namespace
}  // namespace korvimo
