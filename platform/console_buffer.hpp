#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/console.hpp"

// The screen buffer of a console the show stands in for (the terminal's, the page's): as
// many cells as its user sizes it to, in reading order, written as a console writes them.
class console_buffer {
  public:
    // False for a size without cells, which leaves the buffer as it was.
    bool resize(console_coord size) {
        if (size.x <= 0 || size.y <= 0) {
            return false;
        }
        cols_ = size.x;
        rows_ = size.y;
        cells_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), {});
        return true;
    }

    // Writes the cells of `region` from a source buffer of buffer_size cells, read from
    // buffer_origin on, clipped to both the source and this buffer as a console clips
    // them. Returns the part of the region that was written.
    console_rect write(const char_info* source, console_coord buffer_size,
                       console_coord buffer_origin, const console_rect& region) {
        const int left = std::max<int>(region.left, 0);
        const int top = std::max<int>(region.top, 0);
        const int right = std::min<int>(
            {region.right, cols_ - 1, region.left + buffer_size.x - buffer_origin.x - 1});
        const int bottom = std::min<int>(
            {region.bottom, rows_ - 1, region.top + buffer_size.y - buffer_origin.y - 1});
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const int sx = buffer_origin.x + x - region.left;
                const int sy = buffer_origin.y + y - region.top;
                cells_[static_cast<std::size_t>(y * cols_ + x)] = source[sy * buffer_size.x + sx];
            }
        }
        return {static_cast<std::int16_t>(left), static_cast<std::int16_t>(top),
                static_cast<std::int16_t>(right), static_cast<std::int16_t>(bottom)};
    }

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    const std::vector<char_info>& cells() const { return cells_; }

  private:
    int cols_ = 0;
    int rows_ = 0;
    std::vector<char_info> cells_;
};
