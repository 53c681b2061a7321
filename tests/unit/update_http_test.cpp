#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "update/http_response.h"
#include "update/update_url.h"

namespace korvimo {
namespace {

TEST(HttpResponse, ContentLengthIsDigitsOnly) {
    const std::pair<std::string, std::optional<uint64_t>> cases[] = {
        {"1234", 1234}, {" 12 \t", 12}, {"0", 0}, {"999999999999999999", 999999999999999999u},
        {"", {}},       {"  ", {}},     {"12abc", {}}, {"-5", {}}, {"1 2", {}}, {"1.5", {}},
        {"99999999999999999999", {}},  // would overflow, and is absurd for a version file
    };
    for (const auto& [text, length] : cases) EXPECT_EQ(ParseContentLength(text), length) << text;
}

TEST(HttpResponse, SuccessIsA2xxCodeOnTheStatusLine) {
    const std::pair<std::string, bool> cases[] = {
        {"HTTP/1.0 200 OK\r\nX: y", true}, {"HTTP/1.1 299 Odd", true}, {"HTTP/1.0 200", true},
        {"HTTP/1.0 404 Not Found", false}, {"HTTP/1.0 500 Oops", false}, {"HTTP/1.0 2000 Odd", false},
        {"HTTP/1.0 20", false},            {"HTTP/1.0 2x0", false},      {"HTTP/1.0", false},
        {"FTP/1.0 200 OK", false},         {"", false},                  {"HTTP/1.0\r\nX 200 OK", false},
    };
    for (const auto& [header, success] : cases) EXPECT_EQ(IsSuccessStatus(header), success) << header;
}

TEST(UpdateUrl, HostAndPortForTheConnectionAndTheRequestOrNone) {
    const struct {
        std::string url, server_host, connect_host;
        uint16_t port;
    } cases[] = {
        {"http://[::1]:8080/a", "[::1]:8080", "::1", 8080},
        {"example.org/file", "example.org", "example.org", 80},
        {"http://host:65535/file", "host:65535", "host", 65535},
    };
    for (const auto& c : cases) {
        const auto parts = SplitUpdateUrl(c.url);
        ASSERT_TRUE(parts) << c.url;
        EXPECT_EQ(std::tie(parts->request_url, parts->server_host, parts->connect_host, parts->port),
                  std::tie(c.url, c.server_host, c.connect_host, c.port));
    }
    // A CR LF or a space would end the request line early and smuggle in header lines.
    for (const char* url : {"", "http:///file", "http://:80/file", "http://host:/file", "http://host:0/file",
                            "http://host:65536/file", "http://host:8x/file", "http://[::1/file",
                            "http://[::1]x/file", "http://host/a\r\nX-Evil: 1", "http://host/a b"})
        EXPECT_FALSE(SplitUpdateUrl(url)) << url;
}

}  // namespace
}  // namespace korvimo
