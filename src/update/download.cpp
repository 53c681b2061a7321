#include "update/download.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"
#include "update/http_response.h"
#include "update/size_format.h"
#include "update/time_format.h"

namespace korvimo {

namespace {

constexpr const char* kContentLengthField = "Content-Length:";
constexpr const char* kHeaderEnd = "\r\n\r\n";
constexpr size_t kHeaderEndSize = 4;

std::u16string Ascii16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

Download::Download(DownloadSocket& socket, DownloadFile& file, DownloadClock& clock)
    : socket_(socket), file_(file), clock_(clock) {}

void Download::Start(const std::string& url) {
    Reset();
    elapsed_hours_ = elapsed_minutes_ = elapsed_seconds_ = 0;
    display_ = DownloadDisplay{};
    display_.status_visible = false;
    display_.bar_visible = true;
    phase_ = DownloadPhase::kConnecting;
    last_heard_ = clock_.SteadySeconds();

    url_ = SplitUpdateUrl(url);
    if (!url_) return Fail();
    // A longer file left by an abandoned download would otherwise keep its tail.
    if (!file_.Truncate()) return Fail();
    if (!socket_.Connect(url_->connect_host, url_->port)) return Fail();
}

void Download::OnConnected() {
    if (phase_ != DownloadPhase::kConnecting) return;
    last_heard_ = clock_.SteadySeconds();
    if (!socket_.Send(BuildUpdateRequest(url_->request_url, url_->server_host))) return Fail();
    start_time_ = clock_.SecondsSinceMidnight();
    phase_ = DownloadPhase::kAwaitingHeader;
}

void Download::OnData(const std::string& chunk) {
    if (!chunk.empty()) last_heard_ = clock_.SteadySeconds();
    if (phase_ == DownloadPhase::kAwaitingHeader) {
        TakeHeaderBytes(chunk);
    } else if (phase_ == DownloadPhase::kReceiving) {
        WriteBody(chunk);
    }
    // Anything else (before the connection, after the body, after a failure)
    // is not part of the file.
}

void Download::TakeHeaderBytes(const std::string& chunk) {
    // The blank line may straddle the previous chunk and this one.
    size_t search_from = header_buffer_.size() >= kHeaderEndSize - 1 ? header_buffer_.size() - (kHeaderEndSize - 1) : 0;
    header_buffer_ += chunk;
    size_t header_end = header_buffer_.find(kHeaderEnd, search_from);
    if (header_end == std::string::npos) {
        // The blank line can no longer come early enough.
        if (header_buffer_.size() >= kMaxResponseHeaderBytes + kHeaderEndSize) Fail();
        return;
    }
    if (header_end > kMaxResponseHeaderBytes) return Fail();

    header_text_ = header_buffer_.substr(0, header_end);
    std::string body = header_buffer_.substr(header_end + kHeaderEndSize);
    header_buffer_.clear();
    header_buffer_.shrink_to_fit();

    // An error page is not the update file.
    if (!IsSuccessStatus(header_text_)) return Fail();
    if (HasHeaderField(header_text_, kContentLengthField)) {
        std::optional<uint64_t> length = ParseContentLength(GetHeaderValue(header_text_, kContentLengthField));
        if (!length) return Fail();
        total_bytes_ = length;
    }
    phase_ = DownloadPhase::kReceiving;
    WriteBody(body);
}

void Download::WriteBody(const std::string& bytes) {
    size_t count = bytes.size();
    // Bytes past the announced length are not part of the body.
    if (total_bytes_) count = static_cast<size_t>(std::min<uint64_t>(count, *total_bytes_ - bytes_received_));
    if (count > 0) {
        if (!file_.WriteAt(bytes_received_, bytes.substr(0, count))) return Fail();
        bytes_received_ += count;
        UpdateSpeed();
    }
    if (total_bytes_ && bytes_received_ >= *total_bytes_) phase_ = DownloadPhase::kBodyComplete;
}

void Download::UpdateSpeed() {
    double elapsed = clock_.SecondsSinceMidnight() - start_time_;
    // Within the first second a rate means nothing (a server may send its
    // first burst at once and then trickle), and after midnight the clock
    // restarted: no honest rate either way.
    if (!(elapsed >= 1.0)) {
        speed_hundredths_.reset();
        return;
    }
    double bytes_per_second = std::floor(static_cast<double>(bytes_received_) / elapsed);
    // Units of 1000 bytes per second, two decimals: hundredths = B/s / 10.
    speed_hundredths_ = static_cast<int64_t>(RoundHalfEvenD(bytes_per_second / 10.0));
}

void Download::OnClosed() {
    switch (phase_) {
        case DownloadPhase::kConnecting:
        case DownloadPhase::kAwaitingHeader:
            return Fail();
        case DownloadPhase::kReceiving:
            if (total_bytes_) return Fail();  // fewer bytes than announced
            // Without a length the body is whatever came before the close.
            total_bytes_ = bytes_received_;
            phase_ = DownloadPhase::kBodyComplete;
            return;
        default:
            return;
    }
}

void Download::OnError() {
    switch (phase_) {
        case DownloadPhase::kConnecting:
        case DownloadPhase::kAwaitingHeader:
        case DownloadPhase::kReceiving:
            return Fail();
        default:
            // A reset after the whole body arrived loses nothing.
            return;
    }
}

TickOutcome Download::OnTimeTick() {
    bool waiting = phase_ == DownloadPhase::kConnecting || phase_ == DownloadPhase::kAwaitingHeader ||
                   phase_ == DownloadPhase::kReceiving;
    if (waiting && clock_.SteadySeconds() - last_heard_ >= kServerSilenceLimit) {
        Fail();
        return TickOutcome::kNone;
    }
    if (phase_ == DownloadPhase::kReceiving) {
        if (++elapsed_seconds_ >= 60) {
            elapsed_seconds_ = 0;
            if (++elapsed_minutes_ >= 60) {
                elapsed_minutes_ = 0;
                ++elapsed_hours_;
            }
        }
        ShowElapsed();
        bool have_speed = speed_hundredths_ && *speed_hundredths_ > 0;
        if (have_speed && total_bytes_) {
            // Sizes in units of 1024, the rate in units of 1000.
            double left = static_cast<double>(*total_bytes_ - bytes_received_);
            display_.lblRemaining =
                Ascii16(ConvertTime(std::floor(left * 100.0 / (1024.0 * static_cast<double>(*speed_hundredths_)))));
        } else {
            display_.lblRemaining.clear();
        }
        display_.lblSpeed = have_speed ? Ascii16(FormatHundredths(*speed_hundredths_)) : std::u16string();
        return TickOutcome::kNone;
    }
    if (phase_ != DownloadPhase::kBodyComplete) return TickOutcome::kNone;

    // The last chunk may have come after the last progress tick: show the
    // final counts with the result.
    OnProgressTick();
    display_.lblSpeed = u"0";
    ShowElapsed();
    display_.bar_visible = false;
    display_.status_visible = true;
    display_.lblStatus = kDownloadCompleteText;
    // Reset (which closes the socket and the file) before the caller runs the
    // version check, so that ticks arriving while its message box is up find
    // nothing left to do.
    Reset();
    return TickOutcome::kRunVersionCheck;
}

void Download::OnProgressTick() {
    if (phase_ != DownloadPhase::kReceiving && phase_ != DownloadPhase::kBodyComplete) return;
    display_.lblRecieve = Ascii16(FormatSize(static_cast<double>(bytes_received_)));
    if (!total_bytes_) {
        display_.lblSize.clear();
        display_.Percent = 0;
        return;
    }
    display_.lblSize = Ascii16(FormatSize(static_cast<double>(*total_bytes_)));
    if (*total_bytes_ == 0) {
        display_.Percent = 100;
        return;
    }
    double percent = static_cast<double>(bytes_received_) * 100.0 / static_cast<double>(*total_bytes_);
    display_.Percent = std::clamp(RoundHalfEven(percent), 0, 100);
}

void Download::Abandon() {
    if (phase_ == DownloadPhase::kIdle) return;
    CloseSocket();
    phase_ = DownloadPhase::kIdle;
}

void Download::ShowElapsed() {
    display_.lblElapsed = Ascii16(FormatElapsed(elapsed_hours_, elapsed_minutes_, elapsed_seconds_));
}

void Download::Fail() {
    CloseSocket();
    // A partial or error body is of no use to anyone.
    file_.Delete();
    header_buffer_.clear();
    display_.bar_visible = false;
    display_.status_visible = true;
    display_.lblStatus = kDownloadFailedText;
    display_.lblSpeed.clear();
    display_.lblRemaining.clear();
    display_.Percent = 0;
    phase_ = DownloadPhase::kFailed;
}

void Download::CloseSocket() {
    if (!socket_.IsClosed()) socket_.Close();
    file_.Close();
}

void Download::Reset() {
    CloseSocket();
    header_buffer_.clear();
    header_text_.clear();
    display_.Percent = 0;
    start_time_ = 0.0;
    bytes_received_ = 0;
    total_bytes_.reset();
    speed_hundredths_.reset();
    phase_ = DownloadPhase::kIdle;
}

}  // namespace korvimo
