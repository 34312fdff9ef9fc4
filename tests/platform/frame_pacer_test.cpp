#include "platform/frame_pacer.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t interval = frame_pacer::refresh_interval_ns;
constexpr std::int64_t ms = 1'000'000;

}  // namespace

// Frames keep to a grid that does not drift; a late one takes the next free slot without
// bunching, and a long stall starts a new grid.
TEST(frame_pacer, frames_land_on_a_grid_that_does_not_drift_or_bunch) {
    frame_pacer pacer;
    const std::int64_t start = 1000 * ms;
    std::int64_t slot = pacer.next_slot(start);
    EXPECT_EQ(slot, start + interval);
    // Frames that take a varying part of the refresh still keep to the grid.
    for (int frame = 2; frame <= 600; ++frame) {
        slot = pacer.next_slot(slot + (frame % 7) * ms);
        EXPECT_EQ(slot, start + frame * interval);
    }
    // Written 1.5 refreshes late: the slot it missed is skipped, not made up for.
    const std::int64_t late = pacer.next_slot(slot + interval + interval / 2);
    EXPECT_EQ(late, slot + 2 * interval);
    EXPECT_EQ(pacer.next_slot(late), late + interval);
    const std::int64_t resumed_at = late + 5000 * ms;
    EXPECT_EQ(pacer.next_slot(resumed_at), resumed_at + interval);
}
