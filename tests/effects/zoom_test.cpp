#include "effects/zoom.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/effects/cell_index_child.hpp"
#include "tests/effects/golden.hpp"

namespace {

constexpr float zoom_in = 0.1f;
constexpr float zoom_out = 1.6207963f;
constexpr float frequency = 1.5207963f;

cell_index_child child;

screen_buffer zoomed(float phase, bool wrap, std::uint8_t fill, std::int32_t ticks) {
    zoom_effect zoom(child, 22000, wrap, false, fill, phase, frequency);
    return frame_at(zoom, ticks);
}

}  // namespace

TEST(zoom_effect, scale_values_of_the_show_pulses) {
    const zoom_effect in(child, 22000, false, false, 0, zoom_in, frequency);
    EXPECT_EQ(in.zoom_scale(0, 12), 1);
    EXPECT_EQ(in.zoom_scale(0, 40), 3);
    int largest_rows = 0;
    int largest_cols = 0;
    for (std::int32_t t = 0; t < 22000; ++t) {
        largest_rows = std::max(largest_rows, in.zoom_scale(t, 12));
        largest_cols = std::max(largest_cols, in.zoom_scale(t, 40));
    }
    EXPECT_EQ(largest_rows, 11);
    EXPECT_EQ(largest_cols, 39);

    const zoom_effect out(child, 22000, false, false, 0, zoom_out, frequency);
    const zoom_effect long_out(child, 44000, false, false, 0, zoom_out, frequency);
    EXPECT_EQ(out.zoom_scale(0, 12), 11);
    EXPECT_EQ(out.zoom_scale(0, 40), 39);
    for (const auto& [zoom, rows_end, cols_end] :
         {std::tuple{&out, 20794, 21639}, std::tuple{&long_out, 41587, 43277}}) {
        EXPECT_EQ(zoom->zoom_scale(rows_end - 1, 12), 1);
        EXPECT_EQ(zoom->zoom_scale(rows_end, 12), 0);
        EXPECT_EQ(zoom->zoom_scale(cols_end - 1, 40), 1);
        EXPECT_EQ(zoom->zoom_scale(cols_end, 40), 0);
    }
}

TEST(zoom_effect, pulse_ends_after_one_period_or_repeats_and_needs_a_positive_period) {
    const zoom_effect again(child, 22000, false, true, 0, zoom_in, frequency);
    const zoom_effect none(child, 0, false, true, 0, zoom_in, frequency);
    for (const std::int32_t k : {0, 1, 7000, 21999}) {
        EXPECT_EQ(again.zoom_scale(22000 + k, 12), again.zoom_scale(k, 12));
        EXPECT_EQ(again.zoom_scale(44000 + k, 40), again.zoom_scale(k, 40));
        EXPECT_EQ(none.zoom_scale(k, 40), 0);
    }
    // Once a single pulse is spent the child shows as it is.
    for (const std::int32_t ticks : {22000, 1000000}) {
        const screen_buffer spent = zoomed(zoom_in, false, 0, ticks);
        for (int cell = 0; cell < screen_cells; ++cell) {
            ASSERT_EQ(source_of(spent, cell % screen_cols, cell / screen_cols), cell);
        }
    }
}

TEST(zoom_effect, zoom_in_starts_as_a_thumbnail_of_sampled_cells_on_the_fill) {
    const screen_buffer frame = zoomed(zoom_in, false, ' ', 0);
    const int source_rows[] = {0, 12, 24};
    const int source_cols[] = {0, 14, 27, 40, 53, 66};
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            const auto at = static_cast<std::size_t>(screen_offset(col, row));
            if (row >= 11 && row <= 13 && col >= 37 && col <= 42) {
                EXPECT_EQ(source_of(frame, col, row),
                          screen_cols * source_rows[row - 11] + source_cols[col - 37]);
            } else {
                ASSERT_TRUE(frame[at] == ' ' && frame[at + 1] == 0) << col << "," << row;
            }
        }
    }
}

TEST(zoom_effect, wrap_reads_off_screen_positions_on_the_row_major_ring) {
    const screen_buffer frame = zoomed(zoom_in, true, 0, 0);
    // Factors 12 and 40/3: row 12 column 0 reads column trunc(40/3 x -40) + 40 = -493 of
    // row 12, cell 960 - 493 = 467; column 78 reads column 546 of row 12, cell 1506; row 0
    // reads row -132, which is row 18.
    EXPECT_EQ(source_of(frame, 0, 12), 467);
    EXPECT_EQ(source_of(frame, 78, 12), 1506);
    EXPECT_EQ(source_of(frame, 40, 0), 18 * screen_cols + 40);
}

TEST(zoom_effect, zoom_out_halfway_golden_frame) {
    EXPECT_TRUE(golden::matches("zoom_out_t11000", zoomed(zoom_out, false, 0, 11000)));
}
