#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "update/download.h"
#include "update/http_response.h"

namespace korvimo::testing {
namespace {

struct FakeSocket : DownloadSocket {
    bool Connect(const std::string&, uint16_t) override {
        closed = !connect_ok;
        return connect_ok;
    }
    bool Send(const std::string& bytes) override {
        sent += bytes;
        return send_ok;
    }
    void Close() override { closed = true; }
    bool IsClosed() const override { return closed; }

    bool connect_ok = true, send_ok = true, closed = true;
    std::string sent;
};

// Bytes land where they are aimed, so a wrong offset shows in the content.
struct FakeFile : DownloadFile {
    bool Truncate() override {
        exists = open = true;
        content.clear();
        return truncate_ok;
    }
    bool WriteAt(uint64_t offset, const std::string& bytes) override {
        if (!write_ok) return false;
        if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '?');
        content.replace(offset, bytes.size(), bytes);
        return true;
    }
    void Close() override { open = false; }
    void Delete() override {
        exists = open = false;
        content.clear();
    }

    bool truncate_ok = true, write_ok = true, exists = false, open = false;
    std::string content;
};

// Every reading moves the time on by `step`, round past midnight.
struct FakeClock : DownloadClock {
    double SecondsSinceMidnight() const override { return now = std::fmod(now + step, 86400.0); }
    double SteadySeconds() const override { return steady; }
    mutable double now = 1000.0;
    double step = 0.0, steady = 0.0;
};

struct DownloadRig {
    FakeSocket socket;
    FakeFile file;
    FakeClock clock;
    Download download{socket, file, clock};
};

const std::string kUrl = "http://127.0.0.1:8080/qrvupdate.txt";
const std::string kBody = "2.30\r\nhttp://update.korvimo.example/korvimo230.exe\r\n";

std::string Response(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// What goes wrong: first the set-up, then the server's bytes.
enum Fault { kBadUrl, kNoConnect, kNoFile, kRefused, kNoSend, kNoWrite, kNone };

// One download after the other on the same window, each starting clean, the
// response in pieces of any size.
TEST(Download, CompletesOnTheFirstTickAfterTheBodyOrFailsLeavingNoFile) {
    const std::string ok = "HTTP/1.0 200 OK\r\n", length_1 = ok + "Content-Length: 1\r\nX: ";
    const std::string x64kb(kMaxResponseHeaderBytes - length_1.size(), 'x');
    const struct {
        Fault fault;
        std::string response;
        std::optional<std::string> content;  // what a completed download leaves; none: it fails
        bool closed;
    } cases[] = {
        {kNone, ok + "\r\n" + kBody, kBody, true},  // no length: the body is what came before the close
        {kNone, Response(kBody) + "past the length", kBody, false},
        {kNone, Response(""), "", false},
        {kNone, length_1 + x64kb + "\r\n\r\nz", "z", false},
        {kBadUrl, "", {}, false},
        {kNoConnect, "", {}, false},
        {kNoFile, "", {}, false},
        {kRefused, "", {}, false},
        {kNoSend, "", {}, false},
        {kNoWrite, Response(kBody), {}, false},
        {kNone, ok + "Content-Length: lots\r\n\r\n" + kBody, {}, false},
        {kNone, "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\n2.30", {}, false},
        {kNone, ok + "Content-Le", {}, true},
        {kNone, Response(kBody).substr(0, Response(kBody).size() - 1), {}, true},
        {kNone, length_1 + x64kb + "x\r\n\r\nz", {}, false},
        {kNone, length_1 + x64kb + "xxxx", {}, false},  // the blank line can no longer come in time
    };
    DownloadRig r;
    r.file.content = std::string(100, 'x');  // left by an abandoned download
    for (const auto& c : cases) {
        const bool completes = c.content.has_value();
        for (size_t piece : {1, 2, 3, 4096}) {
            SCOPED_TRACE(std::to_string(&c - cases) + " in pieces of " + std::to_string(piece));
            r.socket.sent.clear();
            r.socket.connect_ok = c.fault != kNoConnect;
            r.file.truncate_ok = c.fault != kNoFile;
            r.socket.send_ok = c.fault != kNoSend;
            r.file.write_ok = c.fault != kNoWrite;
            r.download.Start(c.fault == kBadUrl ? "http://host:99999/x" : kUrl);
            c.fault == kRefused ? r.download.OnError() : r.download.OnConnected();
            r.download.OnConnected();  // a late second notice sends nothing more
            for (size_t at = 0; at < c.response.size(); at += piece)
                r.download.OnData(c.response.substr(at, piece));
            // Without a length only the close completes the body.
            if (c.closed && completes) EXPECT_EQ(r.download.OnTimeTick(), TickOutcome::kNone);
            if (c.closed) r.download.OnClosed();
            if (completes) r.download.OnError();  // a reset after the whole body loses nothing
            EXPECT_EQ(r.download.OnTimeTick() == TickOutcome::kRunVersionCheck, completes);
            EXPECT_EQ(r.file.content, c.content.value_or(""));
            EXPECT_EQ(r.socket.sent, c.fault <= kRefused ? "" : BuildUpdateRequest(kUrl, "127.0.0.1:8080"));
            EXPECT_TRUE(r.socket.closed && !r.file.open && !r.download.active());
            const DownloadDisplay& shown = r.download.display();
            EXPECT_TRUE(shown.status_visible && !shown.bar_visible);  // the bar gives way to the status
            EXPECT_EQ(shown.lblStatus, completes ? u"下载完成！" : u"下载失败！");
            // The final count shows once the body is complete.
            const std::string count = std::to_string(c.content.value_or("").size()) + " Bytes";
            if (completes) EXPECT_EQ(shown.lblRecieve, std::u16string(count.begin(), count.end()));
            EXPECT_EQ(r.file.exists, completes);
            EXPECT_EQ(r.download.OnTimeTick(), TickOutcome::kNone);
        }
    }
}

// Silent while connecting, after the request or between chunks: each sign
// from the server starts the thirty seconds again.
TEST(Download, FailsAfterThirtySecondsWithoutAByte) {
    const std::string response = Response(kBody);
    for (int signs = 0; signs < 3; ++signs) {
        DownloadRig r;
        r.download.Start(kUrl);
        for (int sign = 0; sign <= signs; ++sign) {
            r.clock.steady += 29.5;
            r.download.OnTimeTick();
            if (sign == signs) break;
            sign ? r.download.OnData(response.substr(0, response.size() - 1)) : r.download.OnConnected();
        }
        EXPECT_TRUE(r.download.active());
        r.clock.steady += 0.5;
        r.download.OnTimeTick();
        EXPECT_TRUE(!r.download.active() && !r.file.exists && r.socket.closed) << signs;
        EXPECT_EQ(r.download.display().lblStatus, u"下载失败！");
    }
}

// A body of `size` bytes, `received` of them `seconds` after the request.
TEST(Download, ProgressSpeedAndTimeLeft) {
    const struct {
        size_t size, received;
        double seconds;
        const char16_t *received_label, *size_label, *speed, *left;
        int percent;
    } cases[] = {
        {102400, 20480, 1, u"20.00 KB", u"100.00 KB", u"20.48", u"00:00:03", 20},
        {200, 5, 0.5, u"5 Bytes", u"200 Bytes", u"", u"", 2},  // too soon for a rate; 2.5 % rounds to even
        {200, 10, 1, u"10 Bytes", u"200 Bytes", u"0.01", u"00:00:18", 5},  // the slowest rate shown
        {3000, 2000, -999.5, u"1.95 KB", u"2.93 KB", u"", u"", 67},         // midnight: the clock restarts
        {3000, 4, 1000, u"4 Bytes", u"2.93 KB", u"", u"", 0},               // too slow to show
    };
    for (const auto& c : cases) {
        DownloadRig r;
        r.clock.now = 1000 - c.seconds;  // read at the request, then at the data
        r.clock.step = c.seconds;
        const std::string response = Response(std::string(c.size, 'a'));
        r.download.Start(kUrl);
        r.download.OnConnected();
        r.download.OnData(response.substr(0, response.size() - c.size + c.received));
        r.download.OnProgressTick();
        // An hour and a minute on, with nothing more come, only the time used moves.
        for (int tick = 0; tick < 3600 + 61; ++tick) r.download.OnTimeTick();
        const DownloadDisplay& shown = r.download.display();
        EXPECT_TRUE(shown.bar_visible && !shown.status_visible);
        EXPECT_EQ(shown.lblRecieve, c.received_label);
        EXPECT_EQ(shown.lblSize, c.size_label);
        EXPECT_EQ(shown.Percent, c.percent);
        EXPECT_EQ(shown.lblSpeed, c.speed);
        EXPECT_EQ(shown.lblRemaining, c.left);
        EXPECT_EQ(shown.lblElapsed, u"01:01:01");
    }
}

}  // namespace
}  // namespace korvimo::testing
