#include "update/http_response.h"

namespace korvimo {

std::string GetHeaderValue(const std::string& header, const std::string& field_name) {
    if (header.empty() || field_name.empty()) return {};
    size_t found = header.find(field_name);
    if (found == std::string::npos) return {};
    // The value follows the name after any spaces: with or without the
    // customary one, "Content-Length:1234" is 1234, never 234.
    size_t start = header.find_first_not_of(" \t", found + field_name.size());
    if (start == std::string::npos) return {};
    std::string value = header.substr(start);
    size_t line_end = value.find("\r\n");
    if (line_end != std::string::npos) value.erase(line_end);
    return value;
}

bool HasHeaderField(const std::string& header, const std::string& field_name) {
    return !field_name.empty() && header.find(field_name) != std::string::npos;
}

std::optional<uint64_t> ParseContentLength(const std::string& value) {
    size_t begin = value.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    size_t end = value.find_last_not_of(" \t") + 1;
    if (end - begin > 18) return std::nullopt;
    uint64_t number = 0;
    for (size_t i = begin; i < end; ++i) {
        char c = value[i];
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    return number;
}

bool IsSuccessStatus(const std::string& header) {
    std::string line = header.substr(0, header.find("\r\n"));
    if (line.compare(0, 5, "HTTP/") != 0) return false;
    size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    size_t code = line.find_first_not_of(' ', space);
    if (code == std::string::npos || code + 3 > line.size()) return false;
    for (size_t i = code; i < code + 3; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
    }
    // The code is exactly three digits: what follows is the end or a space.
    if (code + 3 < line.size() && line[code + 3] != ' ') return false;
    return line[code] == '2';
}

}  // namespace korvimo
