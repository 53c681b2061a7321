#include "app/node_param.h"

#include "app/clip_history.h"
#include "browser/node_keys.h"

namespace korvimo {

namespace {
constexpr int32_t kTextFlag = 0x10000000;
constexpr int32_t kPicFlag = 0x20000000;
constexpr int32_t kSlotMask = 0x00FFFFFF;
}  // namespace

int32_t KeyToParam(const std::string& key) {
    if (key == kTopRootKey) return -1;
    if (key == kTextRootKey) return -2;
    if (key == kPicRootKey) return -3;
    NodeKey parsed = ClassifyKey(key);
    if (parsed.kind == NodeKind::TextEntry) return kTextFlag | parsed.slot;
    if (parsed.kind == NodeKind::PicEntry) return kPicFlag | parsed.slot;
    return 0;
}

std::string ParamToKey(int32_t param) {
    switch (param) {
        case -1: return kTopRootKey;
        case -2: return kTextRootKey;
        case -3: return kPicRootKey;
        default: break;
    }
    if (param <= 0) return {};
    int32_t slot = param & kSlotMask;
    if (slot > kLastSlot) return {};
    if ((param & ~kSlotMask) == kTextFlag) return MakeTextKey(slot);
    if ((param & ~kSlotMask) == kPicFlag) return MakePicKey(slot);
    return {};
}

}  // namespace korvimo
