#include "gif/colour_cube.h"

namespace korvimo {

std::array<CubeEntry, 256> ColourCubeTable() {
    // 255 rather than 256 for the top level: a byte cannot hold 256.
    static const uint8_t kLevels[5] = {0, 64, 128, 192, 255};
    std::array<CubeEntry, 256> table{};
    for (int i = 0; i < 125; ++i)
        table[i] = CubeEntry{kLevels[i % 5], kLevels[(i / 5) % 5], kLevels[i / 25]};
    return table;
}

}  // namespace korvimo
