#include "update/version_check.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(CheckVersion, FirstLineIsTheVersionTheLastOtherTheLink) {
    UpdateInfo info{u"earlier", u"http://kept.example/"};
    // No version line: the check failed and everything stays.
    EXPECT_EQ(CheckVersion(u"\r\nhttp://a.example/", info).verdict, VersionVerdict::kFailed);
    EXPECT_EQ(info.UpdateVersion, u"earlier");
    // Without a link line the earlier link stays; 2.2 is not 2.20.
    EXPECT_EQ(CheckVersion(u"2.2", info).link_to_open, u"http://kept.example/");
    const VersionDecision offer = CheckVersion(u"2.30\r\nhttp://a.example/\r\nhttps://b\r\n", info);
    EXPECT_EQ(offer.link_to_open, u"https://b");
    EXPECT_EQ(offer.message, u"发现新版本，是否要更新？");
    // A link that is no web address is kept but never opened.
    EXPECT_EQ(CheckVersion(u"2.30\r\nc:\\windows\\calc.exe", info).link_to_open, u"");
    EXPECT_EQ(info.UpdateLink, u"c:\\windows\\calc.exe");
    // Lines may end in LF alone; the BOM an editor puts before them is no part of the version.
    EXPECT_EQ(CheckVersion(u"2.20\nhttp://lf.example/\n", info).message, u"您使用的是最新版本");
    EXPECT_EQ(info.UpdateLink, u"http://lf.example/");
    std::string bytes = "\xEF\xBB\xBF" "2.20\xEF\xBB\xBF";
    EXPECT_TRUE(StripUtf8Bom(bytes) && !StripUtf8Bom(bytes) && bytes == "2.20\xEF\xBB\xBF");
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
