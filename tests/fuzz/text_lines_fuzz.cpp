// The line reader of text files and of the update file on any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browser/open_save.h"
#include "common/text_lines.h"
#include "fake_codec.h"
#include "fuzz_check.h"
#include "update/version_check.h"

namespace {

// The input with every line end (CR LF, or a lone CR) taken out, and the
// number of line ends.
std::string WithoutLineEnds(const std::string& bytes, size_t& ends) {
    std::string out;
    ends = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            out.push_back(bytes[i]);
            continue;
        }
        ++ends;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    return out;
}

std::u16string Widen(const std::string& bytes) {
    std::u16string text;
    for (unsigned char b : bytes) text.push_back(b);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = korvimo::SplitTextLines(bytes);

    size_t ends = 0;
    const std::string joined_expected = WithoutLineEnds(bytes, ends);
    std::string joined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find('\r') == std::string::npos);
        joined += line;
    }
    FUZZ_CHECK(joined == joined_expected);
    // One line per line end, and one more for text after the last end.
    const bool ends_in_line_end = !bytes.empty() && (bytes.back() == '\r' ||
        (bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n'));
    FUZZ_CHECK(lines.size() == ends + (bytes.empty() || ends_in_line_end ? 0 : 1));

    // The UTF-16 reader cuts the same lines.
    const std::vector<std::u16string> wide_lines = korvimo::SplitTextLines(Widen(bytes));
    FUZZ_CHECK(wide_lines.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(wide_lines[i] == Widen(lines[i]));

    // Opening a text file: every line with CR LF after it.
    korvimo::testing::FakeDbcsCodec codec;
    std::u16string opened = korvimo::TextFromFile(bytes, codec);
    std::u16string expected_text;
    for (const std::string& line : lines) expected_text += Widen(line) + u"\r\n";
    FUZZ_CHECK(opened == expected_text);
    // Opened text read again gives the same lines.
    FUZZ_CHECK(korvimo::SplitTextLines(opened) == wide_lines);

    // The update file: the first line is the version, the last of the others
    // the link; lines it lacks leave the previous values.
    korvimo::UpdateInfo info{u"old version", u"old link"};
    korvimo::VersionDecision decision = korvimo::CheckVersion(Widen(bytes), info);
    const bool no_version = lines.empty() || lines.front().empty();
    FUZZ_CHECK(info.UpdateVersion == (no_version ? u"old version" : Widen(lines.front())));
    FUZZ_CHECK(info.UpdateLink == (no_version || lines.size() < 2 ? u"old link" : Widen(lines.back())));
    if (no_version) {
        FUZZ_CHECK(decision.verdict == korvimo::VersionVerdict::kFailed && decision.link_to_open.empty());
    } else if (info.UpdateVersion == korvimo::kProgramVersion) {
        FUZZ_CHECK(decision.verdict == korvimo::VersionVerdict::kLatest);
        FUZZ_CHECK(decision.link_to_open.empty());
    } else {
        FUZZ_CHECK(decision.verdict == korvimo::VersionVerdict::kOfferUpdate);
        FUZZ_CHECK(decision.link_to_open.empty() || decision.link_to_open == info.UpdateLink);
    }
    // Only web links reach the shell.
    if (!decision.link_to_open.empty()) {
        const std::u16string& link = decision.link_to_open;
        std::u16string scheme;
        for (char16_t c : link.substr(0, 8)) scheme.push_back(c >= u'A' && c <= u'Z' ? c + 32 : c);
        FUZZ_CHECK(scheme.compare(0, 7, u"http://") == 0 || scheme == u"https://");
        FUZZ_CHECK(link.size() > (scheme == u"https://" ? 8u : 7u));
        for (char16_t c : link) FUZZ_CHECK(c >= 0x20 && c != 0x7F);
    }
    return 0;
}
