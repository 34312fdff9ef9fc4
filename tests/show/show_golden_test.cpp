// The whole show as a 60 frames-per-second loop sees it, from the "Kein Signal" screen to
// the last row, compared at moments spread over every row that draws something. The
// stored frames were looked at in their text form before they were kept.

#include <gtest/gtest.h>

#include "tests/effects/golden.hpp"
#include "tests/show/run_tool.hpp"

namespace {

struct moment {
    int frame;
    int row;
};

constexpr moment moments[] = {
    {150, 1},  {330, 2},   {480, 3},   {630, 4},   {780, 5},   {930, 6},   {1100, 7},  {1290, 8},
    {1450, 9}, {1650, 10}, {2000, 11}, {3210, 12}, {3500, 14}, {3860, 15}, {4200, 16}, {4820, 17}};

}  // namespace

TEST(show_golden, a_sixty_fps_run_matches_the_stored_frames_and_ends_after_tick_1826000) {
    std::vector<std::int32_t> ticks;
    for (std::int64_t k = 0; k < 5000; ++k) {
        ticks.push_back(static_cast<std::int32_t>(k * 22050 / 60));
    }
    const run_tool::result run = run_tool::show_frames(ticks);
    EXPECT_EQ(run.exit_code, 23) << run.error_output;
    // Frame 4969 is the first past tick 1826000 (at 1826107): the end comes before it is
    // written.
    ASSERT_EQ(run.frames.size(), 4969u);
    for (const moment& m : moments) {
        char name[40];
        std::snprintf(name, sizeof name, "show/frame-%05d-row-%02d", m.frame, m.row);
        EXPECT_TRUE(golden::matches(name, run.frames[static_cast<std::size_t>(m.frame)]));
    }
}
