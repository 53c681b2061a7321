#pragma once
// The colour table GDI reduces pictures to before GIF encoding: a 5x5x5 cube
// in entries 0..124 (levels 0, 64, 128, 192, 255; red varies fastest) and
// black in entries 125..255.
#include <array>
#include <cstdint>

namespace korvimo {

struct CubeEntry {
    uint8_t red, green, blue;
};

std::array<CubeEntry, 256> ColourCubeTable();

}  // namespace korvimo
