#pragma once

// A child for testing filters: every cell holds its own index plus one (low eight bits as
// the character, the rest as the attribute), so a filtered frame tells for each cell
// which source cell it was copied from, and a blank cell (character 0 on black) is told
// apart from a copy of cell 0.

#include <cstddef>
#include <cstdint>

#include "show/effect.hpp"

class cell_index_child final : public effect {
  public:
    void render(std::int32_t ticks) override {
        last_ticks = ticks;
        if (draws_once && drawn) {
            return;
        }
        drawn = true;
        for (int cell = 0; cell < screen_cells; ++cell) {
            (*target)[static_cast<std::size_t>(2 * cell)] = static_cast<std::uint8_t>(cell + 1);
            (*target)[static_cast<std::size_t>(2 * cell + 1)] =
                static_cast<std::uint8_t>((cell + 1) >> 8);
        }
    }

    // Set to draw on the first render only, like a child that leaves cells unwritten.
    bool draws_once = false;
    bool drawn = false;
    std::int32_t last_ticks = -1;
};

inline constexpr int blank_cell = -1;

// The source index of cell (col, row) of a filtered frame, or blank_cell.
inline int source_of(const screen_buffer& frame, int col, int row) {
    const auto at = static_cast<std::size_t>(screen_offset(col, row));
    return (frame[at] | frame[at + 1] << 8) - 1;
}

// Renders a filter whose clock has not started (or started at show tick 0) at tick 0 and
// again at `ticks`, over a screen of junk that shows any cell the filter fails to write.
inline screen_buffer frame_at(effect& filter, std::int32_t ticks) {
    screen_buffer frame{};
    render_child(filter, 0, frame);
    frame.fill(0xEE);
    render_child(filter, ticks, frame);
    return frame;
}
