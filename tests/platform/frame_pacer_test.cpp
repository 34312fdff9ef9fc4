#include "platform/posix/frame_pacer.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t interval = frame_pacer::refresh_interval_ns;
constexpr std::int64_t ms = 1'000'000;

}  // namespace

TEST(frame_pacer, frames_land_on_a_grid_that_does_not_drift) {
    frame_pacer pacer;
    const std::int64_t start = 1000 * ms;
    std::int64_t slot = pacer.next_slot(start);
    EXPECT_EQ(slot, start + interval);
    // Frames that take a varying part of the refresh still keep to the grid.
    for (int frame = 2; frame <= 600; ++frame) {
        slot = pacer.next_slot(slot + (frame % 7) * ms);
        EXPECT_EQ(slot, start + frame * interval);
    }
}

TEST(frame_pacer, a_late_frame_takes_the_next_free_slot_without_bunching) {
    frame_pacer pacer;
    const std::int64_t first = pacer.next_slot(0);
    // Written 1.5 refreshes late: the slot it missed is skipped, not made up for.
    const std::int64_t late = pacer.next_slot(first + interval + interval / 2);
    EXPECT_EQ(late, first + 2 * interval);
    const std::int64_t after = pacer.next_slot(late);
    EXPECT_EQ(after - late, interval);
}

TEST(frame_pacer, starts_a_new_grid_after_a_long_stall) {
    frame_pacer pacer;
    const std::int64_t first = pacer.next_slot(0);
    const std::int64_t resumed_at = first + 5000 * ms;
    EXPECT_EQ(pacer.next_slot(resumed_at), resumed_at + interval);
}
