#include "show/timeline.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::int32_t max_tick = 2147483647;

// Records the local time of every render.
struct recording_effect final : effect {
    void render(std::int32_t ticks) override { renders.push_back(ticks); }
    std::vector<std::int32_t> renders;
};

}  // namespace

TEST(timeline, steps_one_row_per_call_only_past_a_start_and_never_back) {
    timeline_table table{};
    for (int row = 1; row < timeline_rows; ++row) {
        table[static_cast<std::size_t>(row)].start_ticks = 100 * (row - 1);
    }
    timeline_scheduler timeline(table);
    const auto row_at = [&](std::int32_t t) { return &timeline.select(t) - table.data(); };
    EXPECT_EQ(row_at(0), 0) << "tick 0 equals row 1's start";
    EXPECT_EQ(row_at(1), 1);
    EXPECT_EQ(row_at(100), 1);
    EXPECT_EQ(timeline.next_start(), 100);
    for (const int row : {2, 3, 4, 4}) {
        EXPECT_EQ(row_at(350), row) << "one row per call";
    }
    EXPECT_EQ(row_at(5), 4) << "an earlier tick changes nothing";
    for (int call = 5; call < timeline_rows + 3; ++call) {
        const int row = std::min(call, timeline_rows - 1);  // the last row stays
        EXPECT_EQ(row_at(max_tick), row) << "call " << call;
        EXPECT_EQ(timeline.current_index(), row);
        EXPECT_EQ(timeline.next_start(), row < 19 ? 100 * row : timeline_end_sentinel);
    }
}

TEST(render_child, starts_the_clock_once_and_rebinds_the_target_every_time) {
    recording_effect child;
    screen_buffer first{};
    screen_buffer second{};
    render_child(child, 110000, first);
    render_child(child, 242000, second);
    render_child(child, 100000, first);
    EXPECT_EQ(child.renders, (std::vector<std::int32_t>{0, 132000, -10000}));
    EXPECT_EQ(child.start_ticks, 110000);
    EXPECT_EQ(child.now_ticks, 100000);
    EXPECT_EQ(child.target, &first);

    recording_effect edge;
    render_child(edge, -max_tick - 1, first);
    render_child(edge, max_tick, first);
    EXPECT_EQ(edge.renders.back(), -1) << "local time wraps instead of overflowing";
}
