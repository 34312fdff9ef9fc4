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

// The number of cells of a rows x cols grid, or -1 for a size the library refuses:
// negative, or too many cells to index in 32-bit arithmetic (row * cols + col).
constexpr std::int64_t ag_grid_cells(std::int32_t rows, std::int32_t cols) {
    if (rows < 0 || cols < 0) {
        return -1;
    }
    const std::int64_t count = std::int64_t{rows} * cols;
    return count > INT32_MAX ? -1 : count;
}
