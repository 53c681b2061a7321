#include "browser/node_keys.h"

namespace korvimo {

namespace {

constexpr int32_t kMaxSlot = 10000;
constexpr std::string_view kTextPrefix = "Txt";
constexpr std::string_view kPicPrefix = "Pic";

// Reads the slot digits; -1 when they are not exactly what MakeTextKey writes.
int32_t ParseSlot(std::string_view digits) {
    if (digits.empty() || digits.size() > 5) return -1;  // 10000 has five digits
    if (digits.size() > 1 && digits[0] == '0') return -1;
    int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= kMaxSlot ? value : -1;
}

}  // namespace

bool IsRootKey(std::string_view key) {
    return key == kTopRootKey || key == kTextRootKey || key == kPicRootKey;
}

NodeKey ClassifyKey(std::string_view key) {
    if (IsRootKey(key)) return {NodeKind::Root, -1};
    if (key.size() < 3) return {};
    std::string_view prefix = key.substr(0, 3);
    NodeKind kind;
    if (prefix == kTextPrefix)
        kind = NodeKind::TextEntry;
    else if (prefix == kPicPrefix)
        kind = NodeKind::PicEntry;
    else
        return {};
    int32_t slot = ParseSlot(key.substr(3));
    if (slot < 0) return {};
    return {kind, slot};
}

std::string MakeTextKey(int32_t slot) { return std::string(kTextPrefix) + std::to_string(slot); }

std::string MakePicKey(int32_t slot) { return std::string(kPicPrefix) + std::to_string(slot); }

}  // namespace korvimo
