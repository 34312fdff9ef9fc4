#pragma once

// A child for testing filters: every cell holds its own index plus one (character low
// byte), so a filtered frame tells which source each cell was copied from, or that it is blank.

#include <cstddef>
#include <cstdint>

#include "show/effect.hpp"

class cell_index_child final : public effect {
  public:
    void render(std::int32_t ticks) override {
        last_ticks = ticks;
        for (int cell = 0; cell < screen_cells && !(draws_once && drawn); ++cell) {
            (*target)[static_cast<std::size_t>(2 * cell)] = static_cast<std::uint8_t>(cell + 1);
            (*target)[static_cast<std::size_t>(2 * cell + 1)] =
                static_cast<std::uint8_t>((cell + 1) >> 8);
        }
        drawn = true;
    }

    bool draws_once = false;  // like a child that leaves cells unwritten after its first frame
    bool drawn = false;
    std::int32_t last_ticks = -1;
};

inline constexpr int blank_cell = -1;

// The source index of cell (col, row) of a filtered frame, or blank_cell.
inline int source_of(const screen_buffer& frame, int col, int row) {
    const auto at = static_cast<std::size_t>(screen_offset(col, row));
    return (frame[at] | frame[at + 1] << 8) - 1;
}

// Renders a filter whose clock has not started at tick 0 and again at `ticks`, over junk
// that shows any cell the filter fails to write.
inline screen_buffer frame_at(effect& filter, std::int32_t ticks) {
    screen_buffer frame{};
    render_child(filter, 0, frame);
    frame.fill(0xEE);
    render_child(filter, ticks, frame);
    return frame;
}
