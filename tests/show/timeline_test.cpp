#include "show/timeline.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the local time of every render, so a test sees which row drew and when.
class recording_effect final : public effect {
  public:
    void render(std::int32_t ticks) override { renders.push_back(ticks); }
    std::vector<std::int32_t> renders;
};

struct show_like_table {
    show_like_table() {
        const std::int32_t starts[timeline_rows] = {-999999, 0,       110000,  132000,  220000,
                                                    242000,  330000,  352000,  462000,  484000,
                                                    594000,  616000,  1166000, 1188000, 1232000,
                                                    1408000, 1430000, 1760000, 1804000, 1826000};
        for (int row = 0; row < timeline_rows; ++row) {
            table[static_cast<std::size_t>(row)] = {starts[row], &scenes[row]};
        }
    }
    recording_effect scenes[timeline_rows];
    timeline_table table{};
};

}  // namespace

TEST(timeline, a_row_becomes_current_only_after_its_start_tick) {
    show_like_table show;
    timeline_scheduler timeline(show.table);
    EXPECT_EQ(timeline.select(0).scene, &show.scenes[0]) << "tick 0 equals row 1's start";
    EXPECT_EQ(timeline.select(1).scene, &show.scenes[1]);
    EXPECT_EQ(timeline.select(110000).scene, &show.scenes[1]);
    EXPECT_EQ(timeline.next_start(), 110000);
    EXPECT_EQ(timeline.select(110001).scene, &show.scenes[2]);
}

TEST(timeline, steps_one_row_per_frame_and_never_back) {
    show_like_table show;
    timeline_scheduler timeline(show.table);
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(timeline.select(230000).scene, &show.scenes[row]) << "call " << row;
    }
    EXPECT_EQ(timeline.select(230000).scene, &show.scenes[4]);
    EXPECT_EQ(timeline.select(5).scene, &show.scenes[4]) << "an earlier tick changes nothing";
}

TEST(timeline, the_last_row_stays_current_for_every_tick) {
    show_like_table show;
    timeline_scheduler timeline(show.table);
    for (int frame = 0; frame < 18; ++frame) {
        timeline.select(1804001);
    }
    EXPECT_EQ(timeline.current_index(), 18);
    EXPECT_EQ(timeline.next_start(), 1826000);
    EXPECT_EQ(timeline.select(1826001).scene, &show.scenes[19]);
    EXPECT_EQ(timeline.next_start(), timeline_end_sentinel);
    EXPECT_EQ(timeline.select(3600001).scene, &show.scenes[19]);
    EXPECT_EQ(timeline.select(2147483647).scene, &show.scenes[19]);
    EXPECT_EQ(timeline.current_index(), 19);
}

TEST(timeline, renders_the_current_row_with_the_frame_tick_as_its_clock) {
    show_like_table show;
    // Row 3's effect is also row 5's: one effect, one clock.
    show.table[5].scene = &show.scenes[3];
    timeline_scheduler timeline(show.table);
    screen_buffer target{};
    for (const std::int32_t t : {0, 1, 110001, 132001, 140000, 220001, 242001, 250000}) {
        timeline.render(target, t);
    }
    EXPECT_EQ(show.scenes[1].renders, std::vector<std::int32_t>{0});
    EXPECT_EQ(show.scenes[2].renders, std::vector<std::int32_t>{0});
    EXPECT_EQ(show.scenes[3].renders, (std::vector<std::int32_t>{0, 7999, 110000, 117999}));
    EXPECT_EQ(show.scenes[3].target, &target);
    EXPECT_EQ(show.scenes[3].now_ticks, 250000);
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
    EXPECT_EQ(child.target, &first);

    recording_effect edge;
    render_child(edge, -2147483647 - 1, first);
    render_child(edge, 2147483647, first);
    EXPECT_EQ(edge.renders.back(), -1) << "local time wraps instead of overflowing";
}

TEST(screen_buffer, positions_wrap_on_the_ring_of_cells) {
    EXPECT_EQ(screen_offset(79, 24), 3998);
    EXPECT_EQ(wrap_byte_offset(4000), 0);
    EXPECT_EQ(wrap_byte_offset(-2), 3998);
    EXPECT_EQ(wrap_cell_index(-1), 1999);
    EXPECT_EQ(wrap_cell_index(2000), 0);
    EXPECT_EQ(wrap_cell_index(-4001), 1999);
}
