#include "update/version_check.h"

#include <vector>

#include "common/text_lines.h"

namespace korvimo {

namespace {

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

VersionDecision CheckVersion(const std::u16string& file_text, UpdateInfo& info) {
    std::vector<std::u16string> lines = SplitTextLinesAnyEnd(file_text);
    VersionDecision decision;
    if (lines.empty() || lines.front().empty()) {
        decision.verdict = VersionVerdict::kFailed;
        return decision;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            info.UpdateVersion = lines[i];
        } else {
            info.UpdateLink = lines[i];
        }
    }

    if (info.UpdateVersion == kProgramVersion) {
        decision.verdict = VersionVerdict::kLatest;
        decision.message = kLatestVersionMessage;
        return decision;
    }
    decision.message = kNewVersionMessage;  // the verdict is kOfferUpdate already
    if (IsOpenableUpdateLink(info.UpdateLink)) decision.link_to_open = info.UpdateLink;
    return decision;
}

bool StripUtf8Bom(std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
    bytes.erase(0, 3);
    return true;
}

bool IsOpenableUpdateLink(const std::u16string& link) {
    size_t scheme_size;
    if (StartsWithNoCase(link, u"http://")) {
        scheme_size = 7;
    } else if (StartsWithNoCase(link, u"https://")) {
        scheme_size = 8;
    } else {
        return false;
    }
    if (link.size() <= scheme_size) return false;
    for (char16_t c : link) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

}  // namespace korvimo
