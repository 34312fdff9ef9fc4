#include "effects/twirl.hpp"

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/effects/cell_index_child.hpp"
#include "tests/effects/golden.hpp"

namespace {

screen_buffer twirled(float speed, float twist, std::int32_t ticks) {
    cell_index_child child;
    twirl_effect twirl(child, speed, twist);
    return frame_at(twirl, ticks);
}

// Without twist the picture is only turned upside down about row 12; the rounding of the
// distance may tip the truncation of either coordinate by one.
void expect_mirrored(const screen_buffer& frame) {
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            const int source = source_of(frame, col, row);
            ASSERT_LE(std::abs(source / screen_cols - (24 - row)), 1) << col << "," << row;
            ASSERT_LE(std::abs(source % screen_cols - col), 1) << col << "," << row;
        }
    }
}

}  // namespace

TEST(twirl_effect, centre_cell_always_reads_the_centre) {
    for (const float twist : {0.25f, 0.4f, -3.0f}) {
        for (const std::int32_t ticks : {0, 9999, 77777, 400000}) {
            EXPECT_EQ(source_of(twirled(0.4f, twist, ticks), 40, 12), 12 * screen_cols + 40);
        }
    }
}

TEST(twirl_effect, without_twist_the_picture_is_mirrored_top_to_bottom) {
    const screen_buffer untwisted = twirled(0.4f, 0.0f, 50000);
    expect_mirrored(untwisted);
    // Along the centre row the angle is 0 to the right and pi to the left: columns stay.
    for (int col = 0; col < screen_cols; ++col) {
        EXPECT_EQ(source_of(untwisted, col, 12) % screen_cols, col);
    }
    // Speed 1 at a quarter turn of the swing, where the cosine scaling the twist is ~0.
    expect_mirrored(twirled(1.0f, 0.4f, 15708));
}

TEST(twirl_effect, off_screen_sources_wrap_on_the_row_major_ring) {
    // Cell (79, 24) lies at distance 40.804 and angle 0.2985; a twist of -0.00609 turns it
    // to 0.05: column trunc(40.804 cos 0.05 + 40) = 80, row term
    // trunc(40.804 sin 0.05 - 12) = -9, so cell 80 + 720 = 800, column 0 of row 10.
    EXPECT_EQ(source_of(twirled(1.0f, -0.00609f, 0), 79, 24), 800);
}

TEST(twirl_effect, child_buffer_is_cleared_before_every_child_render) {
    cell_index_child child;
    child.draws_once = true;
    twirl_effect twirl(child, 0.4f, 0.25f);
    screen_buffer frame{};
    render_child(twirl, 60000, frame);
    render_child(twirl, 61000, frame);
    EXPECT_EQ(child.last_ticks, 1000);
    EXPECT_EQ(child.target, &twirl.child_buffer);
    EXPECT_EQ(frame, screen_buffer{});
}

TEST(twirl_effect, full_twist_golden_frame) {
    EXPECT_TRUE(golden::matches("twirl_full_twist_t0", twirled(0.4f, 0.25f, 0)));
}
