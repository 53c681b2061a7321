#pragma once
// The update window's HTTP/1.0 download, without the window: it is fed the
// socket's events and the two timers' ticks, drives the socket and the local
// file through small interfaces, and keeps the texts the window shows.
//
// Life of one download:
//   Start            -> connecting (the local file is emptied first)
//   OnConnected      -> request sent, collecting the response header
//   OnData ...       -> header complete at its blank line, body written to the
//                       file at increasing offsets
//   body complete    -> all Content-Length bytes arrived, or, without a
//                       Content-Length, the server closed the connection
//   OnTimeTick       -> the first one-second tick after that completes the
//                       download and asks for the version check
// A refused or dropped connection, an error status, a Content-Length that is
// no number, a body cut short, a header over 64 KB or a server silent for
// kServerSilenceLimit seconds (connecting, or between any two chunks) fail
// the download: the bar gives way to "下载失败！" and the partial file is
// deleted.
#include <cstdint>
#include <optional>
#include <string>

#include "update/update_url.h"

namespace korvimo {

class DownloadSocket {
public:
    virtual ~DownloadSocket() = default;
    // Begins connecting, host lookup included, which may take long; the
    // result arrives later as OnConnected or OnError (an unknown host too).
    // False when not even the attempt could be started. Until the result,
    // the socket is not closed, so that Close gives up the attempt.
    virtual bool Connect(const std::string& host, uint16_t port) = 0;
    // Sends all the bytes; false on failure.
    virtual bool Send(const std::string& bytes) = 0;
    virtual void Close() = 0;
    virtual bool IsClosed() const = 0;
};

class DownloadFile {
public:
    virtual ~DownloadFile() = default;
    // Creates the file or empties an existing one, ready for writing.
    virtual bool Truncate() = 0;
    virtual bool WriteAt(uint64_t offset, const std::string& bytes) = 0;
    // Both may be called when the file is already closed or missing.
    virtual void Close() = 0;
    virtual void Delete() = 0;
};

class DownloadClock {
public:
    virtual ~DownloadClock() = default;
    // Local time of day in seconds, with fractions; restarts at 0 at midnight.
    virtual double SecondsSinceMidnight() const = 0;
    // Seconds from any fixed start, never going back, whatever the user does
    // to the clock: what the silence of the server is measured with.
    virtual double SteadySeconds() const = 0;
};

// What the update window shows. Empty texts are shown as empty labels.
struct DownloadDisplay {
    std::u16string lblSize;
    std::u16string lblRecieve;
    std::u16string lblSpeed;
    std::u16string lblRemaining;
    std::u16string lblElapsed;
    std::u16string lblStatus;
    bool bar_visible = false;    // Picture1
    bool status_visible = true;  // lblStatus
    int Percent = 0;             // 0..100, what Picture1 is drawn at
};

inline constexpr const char16_t* kDownloadCompleteText = u"下载完成！";
inline constexpr const char16_t* kDownloadFailedText = u"下载失败！";

// A server that accepts the connection and then says nothing would otherwise
// keep the window at a bare "%" for as long as the user waits.
inline constexpr double kServerSilenceLimit = 30.0;

enum class DownloadPhase {
    kIdle,            // not started, completed and reset, or abandoned
    kConnecting,
    kAwaitingHeader,  // request sent
    kReceiving,       // header read, body arriving
    kBodyComplete,    // waiting for the one-second tick to finish
    kFailed,
};

enum class TickOutcome { kNone, kRunVersionCheck };

class Download {
public:
    Download(DownloadSocket& socket, DownloadFile& file, DownloadClock& clock);

    // Begins a download of url (StartUpdate and the window's loading).
    void Start(const std::string& url);

    void OnConnected();
    void OnData(const std::string& chunk);
    // The server closed the connection in order.
    void OnClosed();
    // The connection could not be made or broke.
    void OnError();

    // tmrTimeLeft: fails the download once the server has been silent too
    // long; advances the elapsed time while the body arrives; on the first
    // tick after the body is complete it finishes the download, resets and
    // returns kRunVersionCheck (the file is closed by then).
    TickOutcome OnTimeTick();
    // tmrUpdateProgress: size labels and Percent.
    void OnProgressTick();

    // The window is closing: socket and file are closed, the file is kept.
    void Abandon();

    const DownloadDisplay& display() const { return display_; }
    DownloadPhase phase() const { return phase_; }
    bool active() const { return phase_ != DownloadPhase::kIdle && phase_ != DownloadPhase::kFailed; }
    uint64_t bytes_received() const { return bytes_received_; }
    // Content-Length, once the header said so.
    std::optional<uint64_t> total_bytes() const { return total_bytes_; }
    // The last computed rate in hundredths of 1000 bytes per second; none
    // within the first second or when the clock went back (midnight).
    std::optional<int64_t> speed_hundredths() const { return speed_hundredths_; }
    const std::string& header_text() const { return header_text_; }
    const std::optional<UpdateUrlParts>& url() const { return url_; }

private:
    void TakeHeaderBytes(const std::string& chunk);
    void WriteBody(const std::string& bytes);
    void UpdateSpeed();
    void ShowElapsed();
    void Fail();
    void CloseSocket();
    void Reset();

    DownloadSocket& socket_;
    DownloadFile& file_;
    DownloadClock& clock_;

    DownloadPhase phase_ = DownloadPhase::kIdle;
    std::optional<UpdateUrlParts> url_;
    std::string header_buffer_;  // response bytes until the blank line is seen
    std::string header_text_;
    double start_time_ = 0.0;
    double last_heard_ = 0.0;  // SteadySeconds of the start, the connection or the last chunk
    uint64_t bytes_received_ = 0;
    std::optional<uint64_t> total_bytes_;
    std::optional<int64_t> speed_hundredths_;
    int elapsed_hours_ = 0;
    int elapsed_minutes_ = 0;
    int elapsed_seconds_ = 0;
    DownloadDisplay display_;
};

}  // namespace korvimo
