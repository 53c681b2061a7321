#include "about/links.h"

#include <climits>

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(AboutVersionText, ThisReleaseReadsAsTheUpdateCheckVersion) {
    EXPECT_EQ(VersionLabelText(kVersionMajor, kVersionMinor), u"版本 2.20");
}

TEST(AboutVersionText, PartsArePlainDecimalsWithoutPadding) {
    EXPECT_EQ(VersionLabelText(2, 5), u"版本 2.5");
    EXPECT_EQ(VersionLabelText(0, 0), u"版本 0.0");
    EXPECT_EQ(VersionLabelText(10, 100), u"版本 10.100");
    EXPECT_EQ(VersionLabelText(-1, 7), u"版本 -1.7");
    EXPECT_EQ(VersionLabelText(INT_MIN, INT_MAX), u"版本 -2147483648.2147483647");
}

TEST(AboutLinks, ShellTargets) {
    EXPECT_EQ(HomePageUrl(), u"http://www.korvimo.example/");
    EXPECT_EQ(MailTarget(), u"mailto:support@korvimo.example");
    EXPECT_EQ(HelpFileName(), u"readme.chm");
}

TEST(AboutHelpPath, SitsBesideTheProgram) {
    EXPECT_EQ(SiblingPath(u"C:\\Program Files\\Korvimo\\korvimo.exe", u"readme.chm"),
              u"C:\\Program Files\\Korvimo\\readme.chm");
    EXPECT_EQ(SiblingPath(u"C:\\korvimo.exe", u"readme.chm"), u"C:\\readme.chm");
    EXPECT_EQ(SiblingPath(u"\\\\server\\share\\tools\\korvimo.exe", u"readme.chm"),
              u"\\\\server\\share\\tools\\readme.chm");
    EXPECT_EQ(SiblingPath(u"\\\\?\\D:\\很长的目录\\korvimo.exe", u"readme.chm"),
              u"\\\\?\\D:\\很长的目录\\readme.chm");
}

TEST(AboutHelpPath, FolderDotsAndMixedSeparators) {
    // Only the last separator counts, whatever precedes it.
    EXPECT_EQ(SiblingPath(u"C:/apps/kv.1.2/korvimo.exe", u"readme.chm"),
              u"C:/apps/kv.1.2/readme.chm");
    EXPECT_EQ(SiblingPath(u"C:\\a/b\\korvimo", u"readme.chm"), u"C:\\a/b\\readme.chm");
    EXPECT_EQ(SiblingPath(u"C:\\apps\\", u"readme.chm"), u"C:\\apps\\readme.chm");
}

TEST(AboutHelpPath, NoFolderFallsBackToTheBareName) {
    EXPECT_EQ(SiblingPath(u"", u"readme.chm"), u"readme.chm");
    EXPECT_EQ(SiblingPath(u"korvimo.exe", u"readme.chm"), u"readme.chm");
    // A drive-relative path keeps its drive.
    EXPECT_EQ(SiblingPath(u"C:korvimo.exe", u"readme.chm"), u"C:readme.chm");
}

}  // namespace
}  // namespace korvimo
