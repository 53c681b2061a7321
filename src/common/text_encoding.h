#pragma once
// Text files come in the ANSI code page, in UTF-8 or in UTF-16. A byte-order
// mark says which Unicode form a file is in; without one, bytes that are
// well-formed UTF-8 and not plain ASCII are taken as UTF-8, since text in
// code page 936 almost never is (its trail bytes are mostly below 0x80).
#include <string>

namespace korvimo {

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing past U+10FFFF, no sequence cut short.
bool IsUtf8(const std::string& bytes);

// The text of a Unicode file, without its byte-order mark: false, with `text`
// untouched, when the bytes are to be read in the ANSI code page instead.
// Bytes that do not decode (after a mark that promised they would) become
// U+FFFD each, so nothing that follows them is lost.
bool UnicodeFileText(const std::string& bytes, std::u16string& text);

// The mark that Notepad and our own open take as UTF-8 whatever follows.
inline constexpr const char* kUtf8Mark = "\xEF\xBB\xBF";

// UTF-8 bytes of a text. A surrogate without its partner becomes U+FFFD,
// since UTF-8 has no form for it.
std::string Utf8Bytes(const std::u16string& text);

}  // namespace korvimo
