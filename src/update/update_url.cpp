#include "update/update_url.h"

namespace korvimo {

namespace {

std::optional<uint16_t> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<uint16_t>(value);
}

}  // namespace

std::string ChooseUpdateUrl(const std::optional<std::string>& variable_value) {
    if (variable_value && !variable_value->empty()) return *variable_value;
    return kUpdateUrl;
}

std::optional<UpdateUrlParts> SplitUpdateUrl(const std::string& url) {
    if (url.empty()) return std::nullopt;
    // The URL goes into the request line as it is: a space, CR or LF in it
    // would end that line early and let the rest pass for header lines.
    for (char c : url) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return std::nullopt;
    }
    UpdateUrlParts parts;
    parts.request_url = url;

    std::string rest = url;
    size_t scheme_end = rest.find("://");
    if (scheme_end != std::string::npos) rest.erase(0, scheme_end + 3);
    parts.server_host = rest.substr(0, rest.find('/'));

    const std::string& host = parts.server_host;
    std::string port_text;
    bool has_port = false;
    if (!host.empty() && host[0] == '[') {
        // [IPv6]:port
        size_t close = host.find(']');
        if (close == std::string::npos) return std::nullopt;
        parts.connect_host = host.substr(1, close - 1);
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') return std::nullopt;
            port_text = host.substr(close + 2);
            has_port = true;
        }
    } else {
        size_t colon = host.find(':');
        parts.connect_host = host.substr(0, colon);
        if (colon != std::string::npos) {
            port_text = host.substr(colon + 1);
            has_port = true;
        }
    }
    if (parts.connect_host.empty()) return std::nullopt;
    if (has_port) {
        std::optional<uint16_t> port = ParsePort(port_text);
        if (!port) return std::nullopt;
        parts.port = *port;
    }
    return parts;
}

std::string BuildUpdateRequest(const std::string& request_url, const std::string& server_host) {
    return "GET " + request_url + " HTTP/1.0\r\n"
           "Accept: *.*, */*\r\n"
           "User-Agent: Varnel Software Downloader\r\n"
           "Referer: " + server_host + "\r\n"
           "\r\n";
}

}  // namespace korvimo
