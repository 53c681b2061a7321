#include "about/links.h"

namespace korvimo {

std::u16string HomePageUrl() { return u"http://www.korvimo.example/"; }

std::u16string MailTarget() { return std::u16string(u"mailto:") + u"support@korvimo.example"; }

std::u16string HelpFileName() { return u"readme.chm"; }

std::u16string SiblingPath(const std::u16string& module_path, const std::u16string& file_name) {
    std::u16string::size_type end = module_path.find_last_of(u"\\/:");
    if (end == std::u16string::npos) return file_name;
    return module_path.substr(0, end + 1) + file_name;
}

}  // namespace korvimo
