#include "update/version_check.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(CheckVersion, FirstLineIsTheVersionTheLastOtherTheLink) {
    using V = VersionVerdict;
    const std::u16string kept = u"http://kept.example/";  // from an earlier check
    const struct {
        std::u16string file, version;
        VersionVerdict verdict;
        std::u16string link, link_to_open;
    } cases[] = {
        {u"2.20\r\nhttp://a.example/\r\n", u"2.20", V::kLatest, u"http://a.example/", u""},
        {u"2.30\r\nhttp://a.example/\r\nhttps://b\r\n", u"2.30", V::kOfferUpdate, u"https://b", u"https://b"},
        {u"2.2", u"2.2", V::kOfferUpdate, kept, kept},
        {u"2.30\r\nc:\\windows\\calc.exe", u"2.30", V::kOfferUpdate, u"c:\\windows\\calc.exe", u""},
        // No version line: the check failed and everything stays.
        {u"\r\nhttp://a.example/", u"earlier", V::kFailed, kept, u""},
    };
    for (const auto& c : cases) {
        UpdateInfo info{u"earlier", kept};
        const VersionDecision decision = CheckVersion(c.file, info);
        EXPECT_EQ(info.UpdateVersion, c.version);
        EXPECT_EQ(info.UpdateLink, c.link);
        EXPECT_EQ(decision.verdict, c.verdict);
        EXPECT_EQ(decision.link_to_open, c.link_to_open);
    }
    UpdateInfo info;
    EXPECT_EQ(CheckVersion(u"2.20", info).message, u"您使用的是最新版本");
    EXPECT_EQ(CheckVersion(u"2.30", info).message, u"发现新版本，是否要更新？");
}

TEST(IsOpenableUpdateLink, WebSchemesOnly) {
    for (const char16_t* link : {u"http://例子.example/", u"HtTpS://e.org/?b=c", u"HTTP://E", u"https://E"})
        EXPECT_TRUE(IsOpenableUpdateLink(link));
    const std::u16string refused[] = {
        u"", u"http://", u"https://", u"ftp://e.org/", u" http://e", u"httpx://e.org", u"http://a\tx",
        std::u16string(u"http://a\0b", 10)};
    for (const std::u16string& link : refused) EXPECT_FALSE(IsOpenableUpdateLink(link)) << link.size();
}

}  // namespace
}  // namespace korvimo
