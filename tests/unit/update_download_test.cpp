#include "update/download.h"
#include "update/http_response.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace korvimo {
namespace {

class FakeSocket : public DownloadSocket {
public:
    bool Connect(const std::string& host, uint16_t port) override {
        connected_host = host;
        connected_port = port;
        closed = !connect_ok;
        return connect_ok;
    }
    bool Send(const std::string& bytes) override {
        sent += bytes;
        return send_ok;
    }
    void Close() override {
        closed = true;
        ++close_calls;
    }
    bool IsClosed() const override { return closed; }

    bool connect_ok = true;
    bool send_ok = true;
    bool closed = true;
    int close_calls = 0;
    std::string connected_host;
    uint16_t connected_port = 0;
    std::string sent;
};

class FakeFile : public DownloadFile {
public:
    bool Truncate() override {
        ++truncations;
        exists = true;
        open = true;
        content.clear();
        return truncate_ok;
    }
    bool WriteAt(uint64_t offset, const std::string& bytes) override {
        if (!write_ok) return false;
        if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '\0');
        content.replace(offset, bytes.size(), bytes);
        offsets.push_back(offset);
        return true;
    }
    void Close() override { open = false; }
    void Delete() override {
        exists = false;
        content.clear();
    }

    bool truncate_ok = true;
    bool write_ok = true;
    int truncations = 0;
    bool exists = false;
    bool open = false;
    std::string content;
    std::vector<uint64_t> offsets;
};

class FakeClock : public DownloadClock {
public:
    double SecondsSinceMidnight() const override { return now; }
    double now = 1000.0;
};

const std::string kUrl = "http://127.0.0.1:8080/qrvupdate.txt";
const std::string kBody = "2.30\r\nhttp://update.korvimo.example/korvimo230.exe\r\n";

std::string Response(const std::string& body, const std::string& status = "200 OK") {
    return "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

class DownloadTest : public ::testing::Test {
protected:
    void StartAndConnect() {
        download.Start(kUrl);
        ASSERT_EQ(download.phase(), DownloadPhase::kConnecting);
        download.OnConnected();
        ASSERT_EQ(download.phase(), DownloadPhase::kAwaitingHeader);
    }
    void ExpectFailed() {
        EXPECT_EQ(download.phase(), DownloadPhase::kFailed);
        EXPECT_FALSE(download.active());
        EXPECT_EQ(download.display().lblStatus, u"下载失败！");
        EXPECT_TRUE(download.display().status_visible);
        EXPECT_FALSE(download.display().bar_visible);
        EXPECT_TRUE(socket.closed);
        EXPECT_FALSE(file.exists);
        // Nothing goes to the version check afterwards.
        EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
    }
    void ExpectCompletesOnTick() {
        EXPECT_EQ(download.phase(), DownloadPhase::kBodyComplete);
        EXPECT_EQ(download.OnTimeTick(), TickOutcome::kRunVersionCheck);
        EXPECT_EQ(download.display().lblStatus, u"下载完成！");
        EXPECT_TRUE(download.display().status_visible);
        EXPECT_FALSE(download.display().bar_visible);
        EXPECT_EQ(download.display().lblSpeed, u"0");
        EXPECT_EQ(download.phase(), DownloadPhase::kIdle);
        EXPECT_FALSE(download.active());
        EXPECT_TRUE(socket.closed);
        EXPECT_FALSE(file.open);
        EXPECT_TRUE(file.exists);
        EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
    }

    FakeSocket socket;
    FakeFile file;
    FakeClock clock;
    Download download{socket, file, clock};
};

TEST_F(DownloadTest, StartEmptiesTheFileAndConnectsToTheUrlsHostAndPort) {
    file.content = "tail of an abandoned download";
    download.Start(kUrl);
    EXPECT_EQ(file.truncations, 1);
    EXPECT_TRUE(file.content.empty());
    EXPECT_EQ(socket.connected_host, "127.0.0.1");
    EXPECT_EQ(socket.connected_port, 8080);
    EXPECT_TRUE(download.active());
    EXPECT_TRUE(download.display().bar_visible);
    EXPECT_FALSE(download.display().status_visible);
}

TEST_F(DownloadTest, SendsTheRequestOnceConnected) {
    StartAndConnect();
    EXPECT_EQ(socket.sent,
              "GET http://127.0.0.1:8080/qrvupdate.txt HTTP/1.0\r\n"
              "Accept: *.*, */*\r\n"
              "User-Agent: Varnel Software Downloader\r\n"
              "Referer: 127.0.0.1:8080\r\n"
              "\r\n");
    // A second connect notice sends nothing more.
    download.OnConnected();
    EXPECT_EQ(socket.sent.size(), BuildUpdateRequest(kUrl, "127.0.0.1:8080").size());
}

// Whole responses that complete: what the file holds afterwards.
struct Completes {
    const char* name;
    std::string response;
    bool ends_on_close;  // no usable length: the body is whatever came before the close
    std::string content;
};

class DownloadCompletes : public DownloadTest, public ::testing::WithParamInterface<Completes> {};

TEST_P(DownloadCompletes, WritesTheBodyAndCompletesOnTheNextTick) {
    StartAndConnect();
    download.OnData(GetParam().response);
    if (GetParam().ends_on_close) {
        EXPECT_EQ(download.phase(), DownloadPhase::kReceiving);
        EXPECT_FALSE(download.total_bytes());
        download.OnProgressTick();
        EXPECT_EQ(download.display().lblSize, u"");
        EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
        download.OnClosed();
        download.OnProgressTick();
        EXPECT_EQ(download.display().Percent, 100);
    } else {
        EXPECT_EQ(download.total_bytes(), GetParam().content.size());
    }
    EXPECT_EQ(file.content, GetParam().content);
    ExpectCompletesOnTick();
}

INSTANTIATE_TEST_SUITE_P(Responses, DownloadCompletes, ::testing::Values(
    Completes{"OneChunk", Response(kBody), false, kBody},
    Completes{"BytesPastTheLengthDropped", Response(kBody) + "garbage", false, kBody},
    Completes{"NoContentType", "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n2.20", false, "2.20"},
    Completes{"ZeroLength", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false, ""},
    Completes{"LengthWithoutSpace", "HTTP/1.0 200 OK\r\nContent-Length:12\r\n\r\nabcdefghijkl", false,
              "abcdefghijkl"},
    Completes{"NoLength", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + kBody, true, kBody},
    Completes{"LowercaseLengthIsNoLength", "HTTP/1.0 200 OK\r\ncontent-length: 5\r\n\r\n2.30\r\nlink", true,
              "2.30\r\nlink"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, HeaderAndBodyCutAnywhere) {
    std::string response = Response(kBody);
    size_t blank = response.find("\r\n\r\n"), body_start = response.size() - kBody.size();
    std::vector<std::vector<size_t>> cuttings = {{5, blank + 1, blank + 2, blank + 3, blank + 4}, {}};
    for (size_t at = 1; at < response.size(); ++at) cuttings.back().push_back(at);  // a byte at a time
    for (size_t cut = body_start; cut <= response.size(); ++cut) cuttings.push_back({cut});
    for (const auto& cuts : cuttings) {
        SCOPED_TRACE(cuts.front());
        FakeSocket s;
        FakeFile f;
        Download d(s, f, clock);
        d.Start(kUrl);
        d.OnConnected();
        size_t from = 0;
        for (size_t cut : cuts) {
            d.OnData(response.substr(from, cut - from));
            from = cut;
            if (cut >= body_start && cut < response.size()) {
                EXPECT_EQ(d.phase(), DownloadPhase::kReceiving);
                EXPECT_EQ(d.OnTimeTick(), TickOutcome::kNone);
            }
        }
        d.OnData(response.substr(from));
        EXPECT_EQ(f.content, kBody);
        EXPECT_EQ(f.offsets.front(), 0u);
        EXPECT_EQ(d.bytes_received(), kBody.size());
        EXPECT_EQ(d.OnTimeTick(), TickOutcome::kRunVersionCheck);
    }
}

// What comes from the server after the request; then, if set, the close.
struct Fails {
    const char* name;
    std::string data;
    bool closed;
};

class DownloadFails : public DownloadTest, public ::testing::WithParamInterface<Fails> {};

TEST_P(DownloadFails, ShowsTheFailureAndLeavesNoFile) {
    StartAndConnect();
    download.OnData(GetParam().data);
    if (GetParam().closed) download.OnClosed();
    ExpectFailed();
    download.OnData("more");
    download.OnClosed();
    EXPECT_EQ(download.phase(), DownloadPhase::kFailed);
    EXPECT_FALSE(file.exists);
}

INSTANTIATE_TEST_SUITE_P(Responses, DownloadFails, ::testing::Values(
    Fails{"NonNumericLength", "HTTP/1.0 200 OK\r\nContent-Length: lots\r\n\r\n" + kBody, false},
    Fails{"EmptyLength", "HTTP/1.0 200 OK\r\nContent-Length: \r\n\r\n" + kBody, false},
    Fails{"ErrorStatus", Response("<html>not here</html>", "404 Not Found"), false},
    Fails{"ClosedBeforeAnyResponse", "", true},
    Fails{"ClosedInsideTheHeader", "HTTP/1.0 200 OK\r\nContent-Le", true},
    Fails{"ClosedBeforeTheBodyIsComplete", Response(kBody).substr(0, Response(kBody).size() - 1), true},
    Fails{"HeaderOver64KbInOneChunk", "HTTP/1.0 200 OK\r\nX-Filler: " + std::string(kMaxResponseHeaderBytes, 'x') +
                                          "\r\nContent-Length: 1\r\n\r\nz", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, LookupAnsweringAfterTheWindowClosedIsIgnored) {
    download.Start(kUrl);  // the host lookup runs on
    for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
    download.Abandon();
    EXPECT_TRUE(socket.closed);  // which gives the lookup up
    download.OnConnected();
    download.OnError();
    EXPECT_TRUE(socket.sent.empty());
    EXPECT_TRUE(download.display().lblStatus.empty());
}

TEST_F(DownloadTest, FailuresBeforeAnyData) {
    const struct {
        const char* what;
        std::string url;
        bool connect_ok, truncate_ok, send_ok, refused;
    } cases[] = {
        {"connection refused", kUrl, true, true, true, true},
        {"the connect cannot even start", kUrl, false, true, true, false},
        {"the file cannot be created", kUrl, true, false, true, false},
        {"the request cannot be sent", kUrl, true, true, false, false},
        {"a port out of range", "http://host:99999/x", true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSocket s;
        FakeFile f;
        Download d(s, f, clock);
        s.connect_ok = c.connect_ok;
        f.truncate_ok = c.truncate_ok;
        s.send_ok = c.send_ok;
        d.Start(c.url);
        c.refused ? d.OnError() : d.OnConnected();
        EXPECT_EQ(d.phase(), DownloadPhase::kFailed);
        EXPECT_EQ(d.display().lblStatus, u"下载失败！");
        EXPECT_TRUE(s.closed);
        EXPECT_FALSE(f.exists);
        EXPECT_EQ(s.sent.empty(), c.send_ok);  // nothing goes out after a failure
        if (c.url != kUrl) EXPECT_TRUE(s.connected_host.empty());
    }
}

TEST_F(DownloadTest, WriteFailureFails) {
    StartAndConnect();
    file.write_ok = false;
    download.OnData(Response(kBody));
    ExpectFailed();
}

TEST_F(DownloadTest, ResetAfterTheWholeBodyLosesNothing) {
    StartAndConnect();
    download.OnData(Response(kBody));
    download.OnError();
    download.OnClosed();
    ExpectCompletesOnTick();
}

TEST_F(DownloadTest, HeaderOver64KbFails) {
    StartAndConnect();
    std::string filler = "X-Filler: " + std::string(1000, 'x') + "\r\n";
    download.OnData("HTTP/1.0 200 OK\r\n");
    for (int i = 0; i < 70 && download.phase() == DownloadPhase::kAwaitingHeader; ++i) download.OnData(filler);
    ExpectFailed();
}

TEST_F(DownloadTest, HeaderOfExactly64KbIsAccepted) {
    StartAndConnect();
    std::string start = "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nX-Filler: ";
    std::string header = start + std::string(kMaxResponseHeaderBytes - start.size(), 'x');
    ASSERT_EQ(header.size(), kMaxResponseHeaderBytes);
    // Sent in pieces, so the limit is checked while the blank line is awaited.
    std::string response = header + "\r\n\r\nz";
    for (size_t at = 0; at < response.size(); at += 4096) download.OnData(response.substr(at, 4096));
    EXPECT_EQ(file.content, "z");
    ExpectCompletesOnTick();
}

// What the progress tick shows when so much of a body has come.
struct Progress {
    size_t body, received;
    const char16_t *received_label, *size_label;
    int percent;
};

class DownloadProgress : public DownloadTest, public ::testing::WithParamInterface<Progress> {};

TEST_P(DownloadProgress, LabelsAndPercent) {
    StartAndConnect();
    std::string response = Response(std::string(GetParam().body, 'a'));
    download.OnData(response.substr(0, response.size() - GetParam().body + GetParam().received));
    download.OnProgressTick();
    EXPECT_EQ(download.display().lblRecieve, GetParam().received_label);
    EXPECT_EQ(download.display().lblSize, GetParam().size_label);
    EXPECT_EQ(download.display().Percent, GetParam().percent);
}

INSTANTIATE_TEST_SUITE_P(Bodies, DownloadProgress, ::testing::Values(
    Progress{4096, 1024, u"1.00 KB", u"4.00 KB", 25},
    Progress{4096, 4096, u"4.00 KB", u"4.00 KB", 100},
    Progress{200, 5, u"5 Bytes", u"200 Bytes", 2},  // 2.5 % rounds half to even
    Progress{200, 7, u"7 Bytes", u"200 Bytes", 4}));  // and 3.5 %

TEST_F(DownloadTest, CompletionShowsTheFinalCounts) {
    StartAndConnect();
    std::string response = Response(std::string(2048, 'a'));
    download.OnData(response.substr(0, response.size() - 1024));
    download.OnProgressTick();
    download.OnData(response.substr(response.size() - 1024));
    ASSERT_EQ(download.OnTimeTick(), TickOutcome::kRunVersionCheck);
    EXPECT_EQ(download.display().lblRecieve, u"2.00 KB");
    EXPECT_EQ(download.display().lblSize, u"2.00 KB");
}

TEST_F(DownloadTest, SpeedRemainingAndElapsed) {
    StartAndConnect();  // request at 1000.0
    std::string body(102400, 'a');
    std::string response = Response(body);
    clock.now = 1002.0;
    // 20480 body bytes in 2 s: 10240 B/s -> Speed 10.24; 81920 left
    // -> 81920 / 1024 / 10.24 = 7.8125 -> 7 s
    download.OnData(response.substr(0, response.size() - 81920));
    EXPECT_EQ(download.speed_hundredths(), 1024);
    download.OnTimeTick();
    EXPECT_EQ(download.display().lblSpeed, u"10.24");
    EXPECT_EQ(download.display().lblRemaining, u"00:00:07");
    EXPECT_EQ(download.display().lblElapsed, u"00:00:01");
    for (int i = 0; i < 60; ++i) download.OnTimeTick();
    EXPECT_EQ(download.display().lblElapsed, u"00:01:01");

    download.OnData(response.substr(response.size() - 81920));
    EXPECT_EQ(download.OnTimeTick(), TickOutcome::kRunVersionCheck);
    // The completing tick shows the time used but does not add to it.
    EXPECT_EQ(download.display().lblElapsed, u"00:01:01");
    EXPECT_EQ(download.display().lblSpeed, u"0");
}

TEST_F(DownloadTest, ElapsedCarriesIntoHours) {
    StartAndConnect();
    std::string response = Response(std::string(10, 'a'));
    download.OnData(response.substr(0, response.size() - 5));
    ASSERT_EQ(download.phase(), DownloadPhase::kReceiving);
    for (int i = 0; i < 3600 + 61; ++i) download.OnTimeTick();
    EXPECT_EQ(download.display().lblElapsed, u"01:01:01");
}

// Speed from the clock at the request and at the data, with 3000 bytes to come.
struct Speed {
    double requested, received;
    size_t bytes;
    std::optional<int64_t> hundredths;
    const char16_t* shown;  // lblSpeed; lblRemaining is empty exactly when this is
};

class DownloadSpeed : public DownloadTest, public ::testing::WithParamInterface<Speed> {};

TEST_P(DownloadSpeed, ShowsTheRateOrNothing) {
    clock.now = GetParam().requested;
    StartAndConnect();
    clock.now = GetParam().received;
    std::string response = Response(std::string(3000, 'a'));
    download.OnData(response.substr(0, response.size() - 3000 + GetParam().bytes));
    EXPECT_EQ(download.speed_hundredths(), GetParam().hundredths);
    download.OnTimeTick();
    EXPECT_EQ(download.display().lblSpeed, GetParam().shown);
    EXPECT_EQ(download.display().lblRemaining.empty(), download.display().lblSpeed.empty());
    EXPECT_EQ(download.display().lblElapsed, u"00:00:01");
}

INSTANTIATE_TEST_SUITE_P(Clocks, DownloadSpeed, ::testing::Values(
    Speed{1000, 1001, 1500, 150, u"1.5"},  // trailing zeros dropped
    Speed{1000, 1000, 2000, std::nullopt, u""},  // no time passed
    Speed{86399.5, 0.5, 2000, std::nullopt, u""},  // midnight
    Speed{1000, 2000, 4, 0, u""}));  // too slow to show

TEST_F(DownloadTest, AbandonKeepsThePartialFile) {
    StartAndConnect();
    std::string response = Response(kBody);
    download.OnData(response.substr(0, response.size() - 3));
    download.Abandon();
    EXPECT_TRUE(socket.closed);
    EXPECT_FALSE(file.open);
    EXPECT_TRUE(file.exists);
    EXPECT_EQ(file.content, kBody.substr(0, kBody.size() - 3));
    EXPECT_FALSE(download.active());
    download.OnData("abc");
    EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
}

TEST_F(DownloadTest, NoTickWorkBeforeTheHeader) {
    StartAndConnect();
    EXPECT_EQ(download.OnTimeTick(), TickOutcome::kNone);
    download.OnProgressTick();
    EXPECT_EQ(download.display().lblElapsed, u"");
    EXPECT_EQ(download.display().lblRecieve, u"");
}

TEST_F(DownloadTest, ASecondDownloadStartsClean) {
    StartAndConnect();
    download.OnData(Response(kBody));
    ASSERT_EQ(download.OnTimeTick(), TickOutcome::kRunVersionCheck);
    socket.sent.clear();
    StartAndConnect();
    EXPECT_EQ(file.truncations, 2);
    download.OnData(Response("2.20"));
    EXPECT_EQ(file.content, "2.20");
    EXPECT_EQ(file.offsets.back(), 0u);
    ExpectCompletesOnTick();
}

}  // namespace
}  // namespace korvimo
