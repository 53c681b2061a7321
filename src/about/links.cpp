#include "about/links.h"

namespace korvimo {

namespace {

std::u16string Decimal(int value) {
    // Built digit by digit from the magnitude so that INT_MIN needs no
    // special case.
    long long magnitude = value;
    bool negative = magnitude < 0;
    if (negative) magnitude = -magnitude;
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) digits.insert(digits.begin(), u'-');
    return digits;
}

}  // namespace

std::u16string VersionLabelText(int major, int minor) {
    return u"版本 " + Decimal(major) + u"." + Decimal(minor);
}

std::u16string HomePageUrl() { return u"http://www.korvimo.example/"; }

std::u16string MailTarget() { return std::u16string(u"mailto:") + u"support@korvimo.example"; }

std::u16string HelpFileName() { return u"readme.chm"; }

std::u16string SiblingPath(const std::u16string& module_path, const std::u16string& file_name) {
    std::u16string::size_type end = module_path.find_last_of(u"\\/:");
    if (end == std::u16string::npos) return file_name;
    return module_path.substr(0, end + 1) + file_name;
}

}  // namespace korvimo
