// The update download and the header readers fed any server bytes, cut into any
// chunks: the outcome is that of the same bytes arriving at once, and the file
// holds the bytes after the header, all of the body once the download completes.
//
// Input: one flag byte, then (flags >> 4) chunk sizes, then the server bytes.
// Flags bits 0-1: the connection closes in order (0, 3), breaks (1) or stays
// open (2); bit 2: the window's timers tick after every chunk.
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "update/http_response.h"
#include "update_download_fakes.h"

using korvimo::TickOutcome;
using Outcome = std::tuple<korvimo::DownloadPhase, bool, std::string>;  // phase, completed, file

static Outcome Run(const std::string& stream, const std::vector<size_t>& sizes, unsigned flags) {
    korvimo::testing::DownloadRig rig;
    rig.clock.now = 86390.0;  // rates and the midnight restart get exercised
    rig.clock.step = 0.125;
    korvimo::Download& download = rig.download;
    bool completed = false;
    auto tick = [&] {
        download.OnProgressTick();
        completed |= download.OnTimeTick() == TickOutcome::kRunVersionCheck;
        assert(download.display().Percent >= 0 && download.display().Percent <= 100);
    };
    download.Start("http://127.0.0.1:8080/qrvupdate.txt");
    download.OnConnected();
    for (size_t pos = 0, piece = 0; pos < stream.size(); ++piece) {
        download.OnData(stream.substr(pos, sizes[piece % sizes.size()]));
        pos += sizes[piece % sizes.size()];
        if (flags & 4) tick();
    }
    if ((flags & 3) == 1) download.OnError();
    if ((flags & 3) != 1 && (flags & 3) != 2) download.OnClosed();
    tick();
    assert(download.OnTimeTick() == TickOutcome::kNone);  // nothing is left to do
    const bool failed = download.phase() == korvimo::DownloadPhase::kFailed;
    if (failed || completed) assert(rig.socket.closed && !rig.file.open && rig.file.exists == completed);
    return {download.phase(), completed, rig.file.content};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t count = std::min<size_t>(data[0] >> 4, size - 1);
    std::vector<size_t> sizes(data + 1, data + 1 + count);
    const std::string stream(reinterpret_cast<const char*>(data) + 1 + count, size - 1 - count);

    // The header readers: a value starts with no blank and never runs into the
    // next line, and a length is all its value says.
    const size_t blank = stream.find("\r\n\r\n");
    const std::string header = stream.substr(0, blank);
    const std::string value = korvimo::GetHeaderValue(header, "Content-Length:");
    const auto length = korvimo::ParseContentLength(value);
    assert(value.find("\r\n") == std::string::npos && value.find_first_of(" \t") != 0);
    if (length) assert(value.find_first_not_of("0123456789 \t") == std::string::npos);
    if (length) assert(std::stoull(value) == *length);

    // Only empty chunks would never end.
    if (std::all_of(sizes.begin(), sizes.end(), [](size_t n) { return n == 0; })) sizes = {size};
    const Outcome whole = Run(stream, {size}, data[0] & 3);
    assert(Run(stream, sizes, data[0]) == whole);
    const auto& [phase, completed, file] = whole;
    if (!completed && phase != korvimo::DownloadPhase::kReceiving) return 0;
    assert(blank <= korvimo::kMaxResponseHeaderBytes && korvimo::IsSuccessStatus(header));
    assert(stream.compare(blank + 4, file.size(), file) == 0);
    // A body cut short never counts as the update file.
    if (completed) assert(value.empty() ? file == stream.substr(blank + 4) : length == file.size());
    return 0;
}
