#pragma once
// Finding entries by a word of their text or label. The text of an entry may
// be handed over in pieces (a large one is kept in compressed pieces and never
// whole), so the matcher keeps only the needle's own state between pieces and
// finds a match that straddles two of them. Case is ignored by simple case
// folding, one UTF-16 unit to one: ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and the full-width Latin letters. Chinese has no case; letters
// outside those blocks match only themselves.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvimo {

char16_t FoldCase(char16_t c);

// Hands `sink` the text of entry `slot` in order, piece by piece, until it has
// all been handed or `sink` returns false; false when the text could not be
// read (the entry then does not match).
using TextSink = std::function<bool(std::u16string_view piece)>;
using TextPieces = std::function<bool(int32_t slot, const TextSink& sink)>;

// Knuth-Morris-Pratt over folded text: no piece is ever looked at twice.
class PieceMatcher {
public:
    explicit PieceMatcher(std::u16string_view needle);
    // Feeds the next piece; true once the needle has been seen.
    bool Feed(std::u16string_view piece);
    bool Found() const { return found_; }
    void Restart() { matched_ = 0, found_ = false; }

private:
    std::u16string needle_;
    std::vector<size_t> fallback_;
    size_t matched_ = 0;
    bool found_ = false;
};

// Whether the entry's text, read through `pieces`, holds `needle`. An empty
// needle matches nothing.
bool PiecesContain(const TextPieces& pieces, int32_t slot, std::u16string_view needle);
bool TextContains(std::u16string_view text, std::u16string_view needle);

// The next of `count` entries, from `current` on in the given direction and
// round past the end, that `matches`; the current one is asked last. With no
// current entry the search starts at the first (forward) or last one.
std::optional<size_t> NextMatch(size_t count, std::optional<size_t> current, bool forward,
                                const std::function<bool(size_t)>& matches);

}  // namespace korvimo
