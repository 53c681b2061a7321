// Header field lookup and the number and status readers on any bytes.
//
// Input: a field name, a NUL byte, then the header text (no NUL: the name is
// "Content-Length:").
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "update/http_response.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void CheckContentLength(const std::string& value) {
    std::optional<uint64_t> number = korvimo::ParseContentLength(value);
    size_t begin = value.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        FUZZ_CHECK(!number);
        return;
    }
    size_t end = value.find_last_not_of(" \t") + 1;
    std::string digits = value.substr(begin, end - begin);
    bool all_digits = true;
    for (char c : digits) all_digits = all_digits && IsDigit(c);
    FUZZ_CHECK(number.has_value() == (all_digits && digits.size() <= 18));
    if (number) FUZZ_CHECK(*number == std::stoull(digits));
}

void CheckStatus(const std::string& header) {
    bool success = korvimo::IsSuccessStatus(header);
    if (!success) return;
    std::string line = header.substr(0, header.find("\r\n"));
    FUZZ_CHECK(line.compare(0, 5, "HTTP/") == 0);
    size_t code = line.find_first_not_of(' ', line.find(' '));
    FUZZ_CHECK(code != std::string::npos && code + 3 <= line.size());
    FUZZ_CHECK(line[code] == '2' && IsDigit(line[code + 1]) && IsDigit(line[code + 2]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string name = nul == std::string::npos ? "Content-Length:" : input.substr(0, nul);
    std::string header = nul == std::string::npos ? input : input.substr(nul + 1);

    std::string value = korvimo::GetHeaderValue(header, name);
    bool present = korvimo::HasHeaderField(header, name);
    size_t found = name.empty() ? std::string::npos : header.find(name);
    FUZZ_CHECK(present == (found != std::string::npos));
    if (!present) {
        FUZZ_CHECK(value.empty());
    } else {
        // Past the name and the spaces after it, up to the end of that line.
        size_t start = header.find_first_not_of(" \t", found + name.size());
        std::string expected = start != std::string::npos ? header.substr(start) : std::string();
        expected = expected.substr(0, expected.find("\r\n"));
        FUZZ_CHECK(value == expected);
    }
    FUZZ_CHECK(value.find("\r\n") == std::string::npos);

    CheckContentLength(value);
    CheckContentLength(header);
    CheckStatus(header);
    return 0;
}
