#pragma once
// Where the update file comes from and the request that fetches it.
#include <cstdint>
#include <optional>
#include <string>

namespace korvimo {

inline constexpr const char* kUpdateUrl = "http://update.korvimo.example/qrvupdate.txt";

// The environment variable that, when set and not empty, replaces the whole
// update URL (used to point the program at a local test server).
inline constexpr const char* kUpdateUrlVariable = "KORVIMO_UPDATE_URL";

// The URL to fetch: the variable's value when it is present and non-empty,
// otherwise kUpdateUrl.
std::string ChooseUpdateUrl(const std::optional<std::string>& variable_value);

struct UpdateUrlParts {
    std::string request_url;   // the URL unchanged; the request line carries all of it
    std::string server_host;   // text between "://" and the first "/" after it, ":port" included
    std::string connect_host;  // server_host without ":port" (and without [] around an IPv6 address)
    uint16_t port = 80;        // from ":port" after the host, else 80
};

// Splits the URL: everything up to and including the first "://" is dropped,
// the host is the text before the next "/" (all of the rest when there is no
// "/"). The Referer line uses server_host as it stands in the URL, port and
// all. No value for an empty URL, a URL with spaces or control characters
// (they would break the request line), an empty host, or a port that is not a
// number from 1 to 65535.
std::optional<UpdateUrlParts> SplitUpdateUrl(const std::string& url);

// The request bytes, each line ending in CR LF, then the empty line:
// "GET <url> HTTP/1.0", "Accept: *.*, */*",
// "User-Agent: Varnel Software Downloader", "Referer: <host>".
std::string BuildUpdateRequest(const std::string& request_url, const std::string& server_host);

}  // namespace korvimo
