// The line reader of text files and of the update file on any bytes.
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

#include "browser/open_save.h"
#include "common/text_lines.h"
#include "fake_codec.h"
#include "update/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = korvimo::SplitTextLines(bytes);
    // Only the line ends (CR LF, or a lone CR) go.
    std::string rest, joined;
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != '\r') rest += bytes[i];
        if (bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n') ++i;
    }
    for (const std::string& line : lines) joined += line;
    assert(joined == rest);

    // The UTF-16 reader cuts the same lines, and so does it in an opened file,
    // every line with CR LF after it.
    const korvimo::testing::FakeDbcsCodec codec;
    std::u16string opened;
    for (const std::string& line : lines) opened += codec.FromAnsi(line) + u"\r\n";
    assert(korvimo::TextFromFile(bytes, codec) == opened);
    const std::vector<std::u16string> wide_lines = korvimo::SplitTextLines(codec.FromAnsi(bytes));
    assert(korvimo::SplitTextLines(opened) == wide_lines && wide_lines.size() == lines.size());

    // The update file: no version line is a failure, and only web links reach the shell.
    korvimo::UpdateInfo info;
    const korvimo::VersionDecision decision = korvimo::CheckVersion(codec.FromAnsi(bytes), info);
    assert((decision.verdict == korvimo::VersionVerdict::kFailed) == (lines.empty() || lines[0].empty()));
    const std::u16string& link = decision.link_to_open;
    assert(link.empty() || (link == info.UpdateLink && korvimo::IsOpenableUpdateLink(link)));
    return 0;
}
