#include "effects/plasma_rings.hpp"

#include <gtest/gtest.h>

#include "tests/effects/golden.hpp"

using golden::cell;

namespace {

screen_buffer plasma_at(std::int32_t ticks, std::int32_t ring_width = 2) {
    plasma_rings_effect plasma(ring_width);
    return golden::frame(plasma, ticks);
}

}  // namespace

TEST(plasma_rings_effect, first_frame_matches_hand_computed_cells) {
    // (40, 12): distances 16.83 and 13.82, rings 8 and 6; (0, 0): 35.09 and 11.37, rings 17
    // and 5. Width 1 makes (40, 12) rings 16 and 13.
    EXPECT_EQ(cell(plasma_at(0), 40, 12), 0x39'20);
    EXPECT_EQ(cell(plasma_at(0), 0, 0), 0x09'B2);
    EXPECT_EQ(cell(plasma_at(0, 1), 40, 12), 0x00'FF);
}

// These cells lie within a rounding step of a ring boundary: a speed factor as a double
// literal, an unrounded time or unrounded centres would each change one of them.
TEST(plasma_rings_effect, single_precision_roundings_decide_boundary_cells) {
    EXPECT_EQ(cell(plasma_at(220337), 51, 10), 0x00'FF);
    EXPECT_EQ(cell(plasma_at(267196), 69, 8), 0x09'B2);
    EXPECT_EQ(cell(plasma_at(2708680), 48, 17), 0x09'B2);
}

TEST(plasma_rings_effect, frame_with_both_centres_on_screen_matches_golden) {
    EXPECT_TRUE(golden::matches("plasma_rings", plasma_at(267196)));
}
