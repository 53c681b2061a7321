#pragma once
// The texts of the history. A short text is kept as it is; a longer one is
// kept like a picture's bytes, compressed in pieces and past the budget in a
// file, and is read back in pieces, so that nothing on the way (a search, a
// comparison, a save) needs the whole text in memory at once.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/clip_store.h"

namespace korvimo {

// Texts up to this many UTF-16 units stay as they are: compressing them
// would save little and cost a stream each.
inline constexpr size_t kSmallTextChars = 2048;

// The size of the pieces a stored text is handed out in.
inline constexpr size_t kTextPieceChars = size_t{32} << 10;

class StoredText {
public:
    StoredText(ClipStore& store, std::u16string small, size_t length, uint32_t crc, std::optional<uint64_t> id)
        : store_(store), small_(std::move(small)), length_(length), crc_(crc), id_(id) {}
    ~StoredText();
    StoredText(const StoredText&) = delete;
    StoredText& operator=(const StoredText&) = delete;

    size_t Length() const { return length_; }  // UTF-16 units

    // Hands the text to `sink` in order, in pieces of at most kTextPieceChars,
    // until the sink returns false. False when the text could not be read
    // (no memory for a piece, a damaged file): the sink then saw only part.
    bool ReadPieces(const std::function<bool(std::u16string_view)>& sink) const;

    // Whether the text is exactly `text`, without reading it whole.
    bool Equals(std::u16string_view text) const;

private:
    ClipStore& store_;
    std::u16string small_;  // the whole text when it is small
    size_t length_;
    uint32_t crc_;          // of its bytes: most different texts differ here already
    std::optional<uint64_t> id_;  // the store's entry of a larger text
};

// The whole text of an entry (empty for none), or nothing when there is no
// memory for it or it cannot be read back.
std::optional<std::u16string> ReadWholeText(const TextRef& text);

// A text entry's content in order, in bounded pieces, never all at once; the
// sink returns false to stop early. False when the text could not be read.
bool ReadTextPieces(const TextRef& text, const std::function<bool(std::u16string_view)>& sink);

// The checksum a stored text carries.
uint32_t TextChecksum(std::u16string_view text);

}  // namespace korvimo
