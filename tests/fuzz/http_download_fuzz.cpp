// The update download's response handling fed arbitrary server bytes cut at
// arbitrary chunk boundaries. However the bytes are cut, the outcome must be
// the one of the same bytes arriving at once, and the file must hold exactly
// the body bytes after the header, written in order.
//
// Input: one flag byte, then (flags >> 4) chunk sizes, then the server bytes.
//   bits 0-1  how the connection ends: 0 and 3 closed in order, 1 broken, 2 not at all
//   bit 2     a header line is inserted after the first line that takes the
//             header to just below its 64 KB limit; the text up to its end
//             arrives as one chunk
//   bit 3     the window's timers tick after every chunk
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "update/download.h"
#include "update/http_response.h"

namespace {

using korvimo::Download;
using korvimo::DownloadPhase;
using korvimo::TickOutcome;

class FakeSocket : public korvimo::DownloadSocket {
public:
    bool Connect(const std::string&, uint16_t) override {
        closed = false;
        return true;
    }
    bool Send(const std::string& bytes) override {
        FUZZ_CHECK(!closed);
        request += bytes;
        return true;
    }
    void Close() override { closed = true; }
    bool IsClosed() const override { return closed; }

    bool closed = true;
    std::string request;
};

class FakeFile : public korvimo::DownloadFile {
public:
    bool Truncate() override {
        contents.clear();
        deleted = false;
        open = true;
        return true;
    }
    bool WriteAt(uint64_t offset, const std::string& bytes) override {
        // The body goes to the file in order, without gaps or overlaps.
        FUZZ_CHECK(open && !deleted);
        FUZZ_CHECK(offset == contents.size());
        FUZZ_CHECK(!bytes.empty());
        contents += bytes;
        return true;
    }
    void Close() override { open = false; }
    void Delete() override {
        open = false;
        deleted = true;
        contents.clear();
    }

    std::string contents;
    bool deleted = false;
    bool open = false;
};

// Seconds since midnight that step on with every reading, so that rates and
// the midnight restart get exercised.
class SteppingClock : public korvimo::DownloadClock {
public:
    double SecondsSinceMidnight() const override {
        now_ += 0.125;
        if (now_ >= 86400.0) now_ -= 86400.0;
        return now_;
    }

private:
    mutable double now_ = 86390.0;
};

struct Outcome {
    bool completed = false;  // a tick finished the download
    DownloadPhase phase = DownloadPhase::kIdle;
    std::string file;
    bool deleted = false;
    std::string header;  // the header text as last seen
};

void CheckDisplay(const Download& download) {
    const korvimo::DownloadDisplay& display = download.display();
    FUZZ_CHECK(display.Percent >= 0 && display.Percent <= 100);
    if (download.phase() == DownloadPhase::kFailed) {
        FUZZ_CHECK(display.lblStatus == korvimo::kDownloadFailedText);
        FUZZ_CHECK(!display.bar_visible && display.status_visible);
    }
    if (download.total_bytes()) FUZZ_CHECK(download.bytes_received() <= *download.total_bytes());
}

void Tick(Download& download, Outcome& outcome) {
    download.OnProgressTick();
    CheckDisplay(download);
    if (!download.header_text().empty()) outcome.header = download.header_text();
    bool was_complete = download.phase() == DownloadPhase::kBodyComplete;
    TickOutcome tick = download.OnTimeTick();
    FUZZ_CHECK((tick == TickOutcome::kRunVersionCheck) == was_complete);
    if (tick == TickOutcome::kRunVersionCheck) {
        outcome.completed = true;
        FUZZ_CHECK(download.phase() == DownloadPhase::kIdle);
        FUZZ_CHECK(download.display().lblStatus == korvimo::kDownloadCompleteText);
    }
    CheckDisplay(download);
}

Outcome Run(const std::string& stream, size_t first_piece, const std::vector<size_t>& chunk_sizes,
            unsigned ending, bool ticks) {
    FakeSocket socket;
    FakeFile file;
    SteppingClock clock;
    Download download(socket, file, clock);
    Outcome outcome;

    download.Start("http://127.0.0.1:8080/qrvupdate.txt");
    FUZZ_CHECK(download.phase() == DownloadPhase::kConnecting);
    download.OnConnected();
    FUZZ_CHECK(download.phase() == DownloadPhase::kAwaitingHeader);
    FUZZ_CHECK(socket.request.compare(0, 4, "GET ") == 0);

    // A long first piece arrives at once: byte-sized chunks through all of
    // it would only slow the search for the cuts that matter near its end.
    size_t pos = std::min(first_piece, stream.size());
    if (pos > 0) download.OnData(stream.substr(0, pos));
    size_t next_size = 0;
    while (pos < stream.size()) {
        size_t size = chunk_sizes.empty() ? stream.size() : chunk_sizes[next_size++ % chunk_sizes.size()];
        size = std::min(size, stream.size() - pos);
        download.OnData(stream.substr(pos, size));
        pos += size;
        if (!download.header_text().empty()) outcome.header = download.header_text();
        CheckDisplay(download);
        if (ticks) Tick(download, outcome);
    }
    if (ending == 1) {
        download.OnError();
    } else if (ending != 2) {
        download.OnClosed();
    }
    CheckDisplay(download);
    Tick(download, outcome);
    // A second tick finds nothing left to do.
    FUZZ_CHECK(download.OnTimeTick() == TickOutcome::kNone);

    outcome.phase = download.phase();
    outcome.file = file.contents;
    outcome.deleted = file.deleted;
    if (outcome.completed || outcome.phase == DownloadPhase::kFailed) {
        FUZZ_CHECK(socket.closed && !file.open);
    }
    if (outcome.phase == DownloadPhase::kFailed) FUZZ_CHECK(file.deleted);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const unsigned flags = data[0];
    const size_t size_count = std::min<size_t>(flags >> 4, size - 1);
    std::vector<size_t> chunk_sizes(data + 1, data + 1 + size_count);
    size_t sum = 0;
    for (size_t s : chunk_sizes) sum += s;
    if (sum == 0) chunk_sizes.clear();  // only empty chunks would never end
    std::string stream(reinterpret_cast<const char*>(data) + 1 + size_count,
                       size - 1 - size_count);
    size_t first_piece = 0;
    if (flags & 4) {
        size_t line_end = stream.find("\r\n");
        size_t at = line_end == std::string::npos ? stream.size() : line_end + 2;
        std::string pad = "X-Pad: " + std::string(korvimo::kMaxResponseHeaderBytes - 64, 'p') + "\r\n";
        stream.insert(at, pad);
        first_piece = at + pad.size();
    }
    const unsigned ending = flags & 3;
    const bool ticks = (flags & 8) != 0;

    Outcome whole = Run(stream, 0, {}, ending, false);
    Outcome cut = Run(stream, first_piece, chunk_sizes, ending, ticks);
    FUZZ_CHECK(whole.completed == cut.completed);
    FUZZ_CHECK(whole.phase == cut.phase);
    FUZZ_CHECK(whole.file == cut.file);
    FUZZ_CHECK(whole.deleted == cut.deleted);
    FUZZ_CHECK(whole.header == cut.header);

    // What the file must hold: the bytes after the first blank line, no more
    // than Content-Length of them.
    const size_t header_end = stream.find("\r\n\r\n");
    if (whole.completed || whole.phase == DownloadPhase::kReceiving ||
        whole.phase == DownloadPhase::kBodyComplete) {
        FUZZ_CHECK(header_end != std::string::npos && header_end <= korvimo::kMaxResponseHeaderBytes);
        FUZZ_CHECK(whole.header == stream.substr(0, header_end));
        FUZZ_CHECK(korvimo::IsSuccessStatus(whole.header));
        std::string body = stream.substr(header_end + 4);
        FUZZ_CHECK(body.compare(0, whole.file.size(), whole.file) == 0);
        if (korvimo::HasHeaderField(whole.header, "Content-Length:")) {
            auto length = korvimo::ParseContentLength(
                korvimo::GetHeaderValue(whole.header, "Content-Length:"));
            FUZZ_CHECK(length.has_value());
            FUZZ_CHECK(whole.file.size() == std::min<uint64_t>(*length, body.size()));
            // A body cut short never counts as the update file.
            if (whole.completed) FUZZ_CHECK(whole.file.size() == *length);
        } else {
            FUZZ_CHECK(whole.file == body);
        }
    }
    if (header_end == std::string::npos || header_end > korvimo::kMaxResponseHeaderBytes)
        FUZZ_CHECK(!whole.completed && whole.phase != DownloadPhase::kReceiving);
    return 0;
}
