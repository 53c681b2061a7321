#pragma once
// What the text box shows of a text entry. An edit box cannot show a NUL,
// and takes seconds to take a text of millions of characters; such an entry
// is shown read-only, as far as the box can show it, behind a note that says
// what is missing. Saving, converting and copying it use the stored text.
#include <cstddef>
#include <optional>
#include <string>

#include "store/stored_text.h"

namespace korvimo {

// As much as the box takes quickly: within half a second on a busy machine
// (an edit box takes some 2.5 microseconds a character there).
inline constexpr size_t kLargestShownText = size_t{128} << 10;

// How the box shows a NUL.
inline constexpr char16_t kShownNul = u'\u2400';

struct ShownText {
    std::u16string text;
    bool readOnly = false;  // the box shows no exact copy of the entry
};

// Nothing when the text cannot be read (no memory, a damaged file).
std::optional<ShownText> TextToShow(const TextRef& text);

}  // namespace korvimo
