#pragma once
// What the help menu opens, and the version text the about box shows.
// Kept free of Windows headers so that the texts and the path rule are
// unit-tested on the build host.
#include <string>

#include "common/version.h"

namespace korvimo {

// "版本 " + the program's version, the very text the update check compares.
inline std::u16string VersionLabelText() { return std::u16string(u"版本 ") + kProgramVersion; }

// The maker's home page, opened with the shell verb "open".
std::u16string HomePageUrl();

// "mailto:" + the maker's address: the shell opens a new mail to it.
std::u16string MailTarget();

// The help file's bare name.
std::u16string HelpFileName();

// `file_name` in the folder that holds `module_path` (the program's own
// file as GetModuleFileName reports it). Both '\' and '/' separate folders,
// and a drive prefix such as "C:" ends one. A module path with no folder
// part yields the bare file name, which the shell then looks for in the
// current directory.
std::u16string SiblingPath(const std::u16string& module_path, const std::u16string& file_name);

}  // namespace korvimo
