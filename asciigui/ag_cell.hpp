#pragma once

#include <cstdint>

// One cell of a surface grid. The library copies cells whole and compares them field by
// field; value1 and value2 belong to whoever draws into the grid (colours, flags, links)
// and mean nothing to the library itself. All zero is the blank cell of a fresh grid.
struct ag_cell {
    std::uint8_t ch = 0;
    std::uint32_t value1 = 0;
    std::uint32_t value2 = 0;

    friend bool operator==(const ag_cell&, const ag_cell&) = default;
};
