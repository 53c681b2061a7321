#pragma once
// Keys of the clip tree's nodes. The three roots have fixed one-letter keys;
// an entry's key is its kind ("Txt" or "Pic") followed by its history slot in
// decimal. Keys are made only by MakeTextKey/MakePicKey, so parsing accepts
// exactly what those produce and nothing else.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvimo {

inline constexpr const char* kTopRootKey = "M";
inline constexpr const char* kTextRootKey = "T";
inline constexpr const char* kPicRootKey = "P";

enum class NodeKind {
    Root,       // "M", "T" or "P"
    TextEntry,  // "Txt<slot>"
    PicEntry,   // "Pic<slot>"
    Unknown,    // anything else, malformed entry keys included
};

struct NodeKey {
    NodeKind kind = NodeKind::Unknown;
    int32_t slot = -1;  // 0..10000 for entries, -1 otherwise

    bool IsEntry() const { return kind == NodeKind::TextEntry || kind == NodeKind::PicEntry; }
};

bool IsRootKey(std::string_view key);

// Classifies a key. An entry key needs canonical decimal digits (no sign, no
// spaces, no leading zero except "0" itself) for a slot within 0..10000.
NodeKey ClassifyKey(std::string_view key);

std::string MakeTextKey(int32_t slot);  // 17 -> "Txt17"
std::string MakePicKey(int32_t slot);   // 17 -> "Pic17"

}  // namespace korvimo
