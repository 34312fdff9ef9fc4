#include "effects/wobble.hpp"

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/effects/cell_index_child.hpp"
#include "tests/effects/golden.hpp"

namespace {

screen_buffer wobbled(float amplitude_x, float amplitude_y, bool wrap, std::int32_t ticks) {
    cell_index_child child;
    wobble_effect wobble(amplitude_x, amplitude_y, wrap, child);
    return frame_at(wobble, ticks);
}

// How far a cell's source lies from the cell along the ring of 2000 cells, in -1000..999.
int ring_offset(const screen_buffer& frame, int col, int row) {
    const int offset = wrap_cell_index(source_of(frame, col, row) - (screen_cols * row + col));
    return offset >= screen_cells / 2 ? offset - screen_cells : offset;
}

}  // namespace

TEST(wobble_effect, only_the_whole_part_of_an_amplitude_counts) {
    for (const std::int32_t ticks : {0, 12345, 50000}) {
        EXPECT_EQ(wobbled(1.1f, 1.1f, false, ticks), wobbled(1.0f, 1.0f, false, ticks));
        const screen_buffer still = wobbled(0.9f, 0.9f, false, ticks);
        for (int cell = 0; cell < screen_cells; ++cell) {
            ASSERT_EQ(source_of(still, cell % screen_cols, cell / screen_cols), cell);
        }
    }
    // The horizontal wave does not rest at the start.
    EXPECT_NE(wobbled(1.0f, 0.0f, false, 0), wobbled(0.0f, 0.0f, false, 0));
}

TEST(wobble_effect, vertical_wave_steps_every_4000_ticks) {
    cell_index_child child;
    wobble_effect wobble(0.0f, 2.0f, false, child);
    for (std::int32_t step = 0; step < 4000 * 4; step += 4000) {
        const screen_buffer at_step = frame_at(wobble, step);
        EXPECT_EQ(frame_at(wobble, step + 1777), at_step) << step;
        EXPECT_EQ(frame_at(wobble, step + 3999), at_step) << step;
        EXPECT_NE(frame_at(wobble, step + 4000), at_step) << step;
    }
}

TEST(wobble_effect, wrap_follows_the_row_major_ring_and_clipping_leaves_blank_cells) {
    const screen_buffer wrapped = wobbled(3.0f, 0.0f, true, 30000);
    const screen_buffer clipped = wobbled(3.0f, 0.0f, false, 30000);
    // At tick 12000 the vertical wave lifts the top rows above the screen.
    const screen_buffer rows_wrapped = wobbled(0.0f, 2.0f, true, 12000);
    int across_sides = 0;
    int across_top = 0;
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            // Column -1 continues at column 79 of the row above, so the source stays
            // within 7 x 3 cells along the ring.
            const int dx = ring_offset(wrapped, col, row);
            ASSERT_LE(std::abs(dx), 21) << col << "," << row;
            const bool off_screen = col + dx < 0 || col + dx >= screen_cols;
            across_sides += off_screen ? 1 : 0;
            ASSERT_EQ(source_of(clipped, col, row),
                      off_screen ? blank_cell : source_of(wrapped, col, row));
            // Row -1 of column 0 is cell 1920.
            const int dy = ring_offset(rows_wrapped, col, row);
            ASSERT_TRUE(dy % screen_cols == 0 && std::abs(dy) <= 14 * screen_cols) << dy;
            across_top += row + dy / screen_cols < 0 ? 1 : 0;
        }
    }
    EXPECT_GT(across_sides, 0);
    EXPECT_GT(across_top, 0);
}

TEST(wobble_effect, huge_amplitudes_wrap_far_instead_of_overflowing) {
    const screen_buffer wrapped = wobbled(1e12f, 3e11f, true, 1000);
    const screen_buffer clipped = wobbled(1e12f, 3e11f, false, 1000);
    const screen_buffer nowhere = wobbled(INFINITY, 1.0f, true, 1000);
    for (int cell = 0; cell < screen_cells; ++cell) {
        const int col = cell % screen_cols;
        const int row = cell / screen_cols;
        ASSERT_GE(source_of(wrapped, col, row), 0);
        ASSERT_LT(source_of(wrapped, col, row), screen_cells);
        ASSERT_EQ(source_of(clipped, col, row), blank_cell);
        ASSERT_EQ(source_of(nowhere, col, row), blank_cell);
    }
}

TEST(wobble_effect, strong_wrapped_wobble_golden_frame) {
    EXPECT_TRUE(golden::matches("wobble_strong_wrapped_t30000", wobbled(3.0f, 2.0f, true, 30000)));
}
