#include "about/links.h"

#include <gtest/gtest.h>

namespace korvimo {
namespace {

TEST(AboutHelpPath, SitsBesideTheProgram) {
    // Only the last '\', '/' or drive colon counts, whatever precedes it;
    // with no folder part the bare name is left for the shell to find.
    const struct {
        const char16_t *module, *help;
    } cases[] = {
        {u"C:\\Program Files\\Korvimo\\korvimo.exe", u"C:\\Program Files\\Korvimo\\readme.chm"},
        {u"\\\\server\\share\\tools\\korvimo.exe", u"\\\\server\\share\\tools\\readme.chm"},
        {u"\\\\?\\D:\\很长的目录\\korvimo.exe", u"\\\\?\\D:\\很长的目录\\readme.chm"},
        {u"C:/apps/kv.1.2/korvimo.exe", u"C:/apps/kv.1.2/readme.chm"},
        {u"C:\\a/b\\korvimo", u"C:\\a/b\\readme.chm"},
        {u"C:\\apps\\", u"C:\\apps\\readme.chm"},
        {u"", u"readme.chm"},
        {u"korvimo.exe", u"readme.chm"},
        {u"C:korvimo.exe", u"C:readme.chm"},
    };
    for (const auto& c : cases) EXPECT_EQ(SiblingPath(c.module, u"readme.chm"), c.help);
}

}  // namespace
}  // namespace korvimo
