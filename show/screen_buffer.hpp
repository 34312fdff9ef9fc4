#pragma once

#include <array>
#include <cstdint>

// The picture format of the whole show: 80 x 25 cells in reading order, each cell a
// code page 437 character byte followed by its attribute byte (low nibble foreground,
// high nibble background, blue-green-red-intensity from bit 0 up).
inline constexpr int screen_cols = 80;
inline constexpr int screen_rows = 25;
inline constexpr int screen_cells = screen_cols * screen_rows;
inline constexpr int screen_bytes = 2 * screen_cells;

// The cell the filters scale and twist about: the middle column, and the row just above
// the middle of the odd row count.
inline constexpr int screen_centre_col = screen_cols / 2;
inline constexpr int screen_centre_row = screen_rows / 2;

using screen_buffer = std::array<std::uint8_t, screen_bytes>;

// Byte offset of cell (x, y); callers that may leave the screen wrap it first.
constexpr int screen_offset(int x, int y) {
    return 2 * (screen_cols * y + x);
}

// The screen is a ring of 2000 cells: positions past the end continue at the start and
// negative ones count back from the end, so -1 is the last cell.
constexpr int wrap_cell_index(int index) {
    const int r = index % screen_cells;
    return r < 0 ? r + screen_cells : r;
}

constexpr int wrap_byte_offset(int offset) {
    const int r = offset % screen_bytes;
    return r < 0 ? r + screen_bytes : r;
}
