#pragma once
// A tree node carries its key in the item's parameter, so that the key is a
// property of the node itself (as the history's keys are) and other programs
// can read it through the tree control's own messages.
#include <cstdint>
#include <string>

namespace korvimo {

// Roots are small negative numbers; entries carry their kind in the high
// bits and their slot in the low ones. 0 is no key.
int32_t KeyToParam(const std::string& key);
std::string ParamToKey(int32_t param);

}  // namespace korvimo
