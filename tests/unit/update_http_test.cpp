#include <gtest/gtest.h>

#include "update/http_response.h"
#include "update/update_url.h"

namespace korvimo {
namespace {

TEST(GetHeaderValue, FromAfterTheNameAndItsSpacesToTheLineEnd) {
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 1234\r\nServer: test";
    const struct {
        std::string header, name, value;
    } cases[] = {
        {header, "Content-Length:", "1234"},
        {header, "Content-Type:", "text/plain"},
        {header, "Server:", "test"},  // the last field has no CR LF after it
        {header, "Location:", ""},
        {"", "Content-Length:", ""},
        {"Content-Length:1234\r\n", "Content-Length:", "1234"},
        {"Content-Length:  7\r\n", "Content-Length:", "7"},
        {"Content-Length:\t7\r\n", "Content-Length:", "7"},
        // A field without a value does not borrow the next line's.
        {"Content-Length:\r\nX: 1\r\n", "Content-Length:", ""},
        {"content-length: 5\r\n", "Content-Length:", ""},  // exact case only
        // The name is the last thing in the header: nothing after it to read.
        {"X: 1\r\nContent-Length:", "Content-Length:", ""},
        {"X: 1\r\nContent-Length: ", "Content-Length:", ""},
        {"A: 1\r\nA: 2\r\n", "A:", "1"},  // the first occurrence wins
    };
    for (const auto& c : cases) EXPECT_EQ(GetHeaderValue(c.header, c.name), c.value) << c.header;
}

TEST(HasHeaderField, PresentEvenWithEmptyValue) {
    EXPECT_TRUE(HasHeaderField("Content-Length:\r\n", "Content-Length:"));
    EXPECT_FALSE(HasHeaderField("content-length: 1\r\n", "Content-Length:"));
}

TEST(ParseContentLength, DigitsOnly) {
    EXPECT_EQ(ParseContentLength("1234"), 1234u);
    EXPECT_EQ(ParseContentLength("0"), 0u);
    EXPECT_EQ(ParseContentLength(" 12 \t"), 12u);
    EXPECT_EQ(ParseContentLength("999999999999999999"), 999999999999999999u);
    EXPECT_FALSE(ParseContentLength(""));
    EXPECT_FALSE(ParseContentLength("  "));
    EXPECT_FALSE(ParseContentLength("abc"));
    EXPECT_FALSE(ParseContentLength("12abc"));
    EXPECT_FALSE(ParseContentLength("-5"));
    EXPECT_FALSE(ParseContentLength("1 2"));
    EXPECT_FALSE(ParseContentLength("1.5"));
    // Would overflow 64 bits or is absurd for a version file.
    EXPECT_FALSE(ParseContentLength("99999999999999999999"));
}

TEST(IsSuccessStatus, OnlyTwoHundreds) {
    EXPECT_TRUE(IsSuccessStatus("HTTP/1.0 200 OK\r\nX: y"));
    EXPECT_TRUE(IsSuccessStatus("HTTP/1.1 204 No Content"));
    EXPECT_TRUE(IsSuccessStatus("HTTP/1.0 200"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0 404 Not Found\r\n"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0 301 Moved\r\n"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0 500 Oops"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0 2000 Odd"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0 20"));
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0"));
    EXPECT_FALSE(IsSuccessStatus("FTP/1.0 200 OK"));
    EXPECT_FALSE(IsSuccessStatus(""));
    // The code must be on the status line, not further down.
    EXPECT_FALSE(IsSuccessStatus("HTTP/1.0\r\nX 200 OK"));
}

TEST(ChooseUpdateUrl, VariableReplacesTheWholeUrl) {
    EXPECT_EQ(ChooseUpdateUrl(std::nullopt), kUpdateUrl);
    EXPECT_EQ(ChooseUpdateUrl(std::string()), kUpdateUrl);
    EXPECT_EQ(ChooseUpdateUrl(std::string("http://127.0.0.1:8080/x.txt")), "http://127.0.0.1:8080/x.txt");
}

TEST(SplitUpdateUrl, PortAfterTheHost) {
    auto parts = SplitUpdateUrl("http://127.0.0.1:54321/qrvupdate.txt");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->server_host, "127.0.0.1:54321");
    EXPECT_EQ(parts->connect_host, "127.0.0.1");
    EXPECT_EQ(parts->port, 54321);

    auto v6 = SplitUpdateUrl("http://[::1]:8080/a");
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->server_host, "[::1]:8080");
    EXPECT_EQ(v6->connect_host, "::1");
    EXPECT_EQ(v6->port, 8080);
}

TEST(SplitUpdateUrl, HostRules) {
    // Without a scheme the host starts at the beginning; without a path it
    // runs to the end.
    auto bare = SplitUpdateUrl("example.org/file");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->server_host, "example.org");
    auto no_path = SplitUpdateUrl("http://example.org");
    ASSERT_TRUE(no_path);
    EXPECT_EQ(no_path->request_url, "http://example.org");
    EXPECT_EQ(no_path->server_host, "example.org");
    EXPECT_EQ(no_path->connect_host, "example.org");
    EXPECT_EQ(no_path->port, 80);
    // Only the first "://" is the scheme's.
    auto twice = SplitUpdateUrl("http://a.example/x://y");
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->server_host, "a.example");
}

TEST(SplitUpdateUrl, RefusesWhatCannotBeRequested) {
    EXPECT_FALSE(SplitUpdateUrl(""));
    EXPECT_FALSE(SplitUpdateUrl("http:///file"));
    EXPECT_FALSE(SplitUpdateUrl("http://:80/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://host:/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://host:0/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://host:65536/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://host:8x/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://[::1/file"));
    EXPECT_FALSE(SplitUpdateUrl("http://[::1]x/file"));
    // Would end the request line early and smuggle in a header line.
    EXPECT_FALSE(SplitUpdateUrl("http://host/a\r\nX-Evil: 1"));
    EXPECT_FALSE(SplitUpdateUrl("http://host/a b"));
    EXPECT_TRUE(SplitUpdateUrl("http://host:65535/file"));
}

TEST(BuildUpdateRequest, ExactBytes) {
    auto parts = SplitUpdateUrl("http://127.0.0.1:8080/qrvupdate.txt");
    ASSERT_TRUE(parts);
    EXPECT_EQ(BuildUpdateRequest(parts->request_url, parts->server_host),
              "GET http://127.0.0.1:8080/qrvupdate.txt HTTP/1.0\r\n"
              "Accept: *.*, */*\r\n"
              "User-Agent: Varnel Software Downloader\r\n"
              "Referer: 127.0.0.1:8080\r\n"
              "\r\n");
}

}  // namespace
}  // namespace korvimo
