#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/console.hpp"

// Writes the cells of `region` from a source buffer of buffer_size cells, read from
// buffer_origin on, into a console of cols x rows cells, clipped to both as a console
// clips them: store(index, cell) is called for each console cell written, by its index
// in reading order. Returns the part of the region that was written.
template <class Store>
console_rect write_console_region(const char_info* cells, console_coord buffer_size,
                                  console_coord buffer_origin, const console_rect& region, int cols,
                                  int rows, Store store) {
    const int left = std::max<int>(region.left, 0);
    const int top = std::max<int>(region.top, 0);
    const int right =
        std::min<int>({region.right, cols - 1, region.left + buffer_size.x - buffer_origin.x - 1});
    const int bottom =
        std::min<int>({region.bottom, rows - 1, region.top + buffer_size.y - buffer_origin.y - 1});
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const int sx = buffer_origin.x + x - region.left;
            const int sy = buffer_origin.y + y - region.top;
            store(y * cols + x, cells[sy * buffer_size.x + sx]);
        }
    }
    return {static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
            static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)};
}
