#pragma once
// The version check that follows a completed download: the update file's
// first line names the current version, every later line replaces the link.
#include <string>

#include "common/version.h"

namespace korvimo {

inline constexpr const char16_t* kUpdateMessageTitle = u"Korvimo";
inline constexpr const char16_t* kNewVersionMessage = u"发现新版本，是否要更新？";
inline constexpr const char16_t* kLatestVersionMessage = u"您使用的是最新版本";

// What was read, kept for the rest of the run. Lines a file does not have
// leave the earlier values standing.
struct UpdateInfo {
    std::u16string UpdateVersion;
    std::u16string UpdateLink;
};

enum class VersionVerdict {
    kOfferUpdate,  // ask with Yes/No and the question icon
    kLatest,       // tell with OK and no icon
    kFailed,       // the file names no version: the check failed, nothing to ask
};

struct VersionDecision {
    VersionVerdict verdict = VersionVerdict::kOfferUpdate;
    std::u16string message;
    // What to open if the user says Yes: the link, but only when
    // IsOpenableUpdateLink accepts it; empty otherwise.
    std::u16string link_to_open;
};

// Reads the update file's text (already decoded) into info and decides. A
// line ends at CR LF, at a lone CR or at a lone LF: web servers on Linux
// serve the file with LF alone, and it must not read as one line. The version is
// compared exactly with kProgramVersion: "2.20 " and "2.2" offer the update.
// A file whose first line is missing or empty (an empty body, say) names no
// version at all: that is kFailed, with no message and no link, and info is
// left as it was.
VersionDecision CheckVersion(const std::u16string& file_text, UpdateInfo& info);

// Only web links go to the shell: "http://" or "https://" (the scheme in any
// letter case) followed by at least one character, and no control characters.
// Anything else could name a program or document on this machine.
bool IsOpenableUpdateLink(const std::u16string& link);

// Drops a leading UTF-8 byte order mark from the update file's bytes, which
// editors put there unasked; true when there was one, and the rest is then
// UTF-8 rather than the ANSI code page.
bool StripUtf8Bom(std::string& bytes);

}  // namespace korvimo
