#pragma once
// Reading the response header of the update download (HTTP/1.0).
// Header text is the raw bytes before the blank line that ends the header.
#include <cstdint>
#include <optional>
#include <string>

namespace korvimo {

// The header ends at the first CR LF CR LF; longer headers than this are
// refused so that a misbehaving server cannot make us collect without end.
inline constexpr size_t kMaxResponseHeaderBytes = 64 * 1024;

// The value of one header field, found by the exact (case-sensitive) field
// name including its colon. The value starts after the first occurrence of
// the name and the spaces or tabs that follow it, and runs to the first
// CR LF: "Content-Length: 1234" and "Content-Length:1234" both give "1234".
// Empty when the header is empty or does not contain the name.
std::string GetHeaderValue(const std::string& header, const std::string& field_name);

// Whether the exact field name occurs in the header at all (a present field
// with an empty value is different from a missing one).
bool HasHeaderField(const std::string& header, const std::string& field_name);

// A Content-Length value: decimal digits, spaces and tabs around them allowed,
// at most 18 digits. Anything else is no number.
std::optional<uint64_t> ParseContentLength(const std::string& value);

// Whether the status line (the header's first line, "HTTP/1.x NNN reason")
// reports success: an HTTP/ version followed by a three-digit code 200..299.
bool IsSuccessStatus(const std::string& header);

}  // namespace korvimo
