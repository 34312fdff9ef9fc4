// The show through show-frames: its options, the rows' boundaries checked against the
// shared effects rendered alone, and the golden frames of a 60 frames-per-second run,
// which were checked by eye in text form.

#include <algorithm>

#include <gtest/gtest.h>

#include "show/screen_text.hpp"
#include "show/show_ticks.hpp"
#include "tests/effects/golden.hpp"
#include "tests/show/run_tool.hpp"

namespace {

// At least one frame per row, as the timeline steps at most one row per frame. Row 2
// gets ten, so that the fire has cooled its field (every tenth render) before row 3.
const std::vector<std::int32_t> walk{0,
                                     1,
                                     110000,
                                     110001,
                                     112001,
                                     114001,
                                     116001,
                                     118001,
                                     120001,
                                     122001,
                                     124001,
                                     126001,
                                     128001,
                                     132001,
                                     220001,
                                     242001,
                                     330001,
                                     352001,
                                     462001,
                                     484001,
                                     594001,
                                     616001,
                                     1166001,
                                     1179001,
                                     1188001,
                                     1232001,
                                     1408001,
                                     1430001,
                                     1760001,
                                     1790001,
                                     1804001,
                                     show_last_tick,
                                     show_last_tick + 1};

const run_tool::result& walk_run() {
    static const run_tool::result run = run_tool::show_frames(walk);
    return run;
}

const screen_buffer& at(std::int32_t t) {
    const auto index = static_cast<std::size_t>(std::ranges::find(walk, t) - walk.begin());
    return walk_run().frames.at(index);
}

}  // namespace

TEST(show_walk, rows_start_after_their_tick_and_the_last_row_ends_unwritten) {
    EXPECT_EQ(walk_run().exit_code, 23) << walk_run().error_output;
    ASSERT_EQ(walk_run().frames.size(), walk.size() - 1);
    EXPECT_EQ(at(0), screen_buffer{});
    EXPECT_EQ(at(110000), run_tool::effect_frame("no_signal", {1, 110000}));
    EXPECT_NE(at(110001), at(110000));
    EXPECT_EQ(at(show_last_tick), screen_buffer{}) << "still row 18";
}

TEST(show_golden, a_sixty_fps_run_matches_the_stored_frames_and_ends_after_tick_1826000) {
    std::vector<std::int32_t> ticks;
    for (std::int64_t k = 0; k < 5000; ++k) {
        ticks.push_back(show_frame_tick(k, 60));
    }
    const run_tool::result run = run_tool::show_frames(ticks);
    EXPECT_EQ(run.exit_code, 23) << run.error_output;
    // The first frame past the last tick is not written: the end comes before it.
    ASSERT_EQ(
        run.frames.size(),
        static_cast<std::size_t>(std::int64_t{show_last_tick} * 60 / show_ticks_per_second + 1));
    const int moments[][2] = {{150, 1},   {330, 2},   {480, 3},   {630, 4},
                              {780, 5},   {930, 6},   {1100, 7},  {1290, 8},
                              {1450, 9},  {1650, 10}, {2000, 11}, {3210, 12},
                              {3500, 14}, {3860, 15}, {4200, 16}, {4820, 17}};
    for (const auto& [frame, row] : moments) {
        char name[40];
        std::snprintf(name, sizeof name, "show/frame-%05d-row-%02d", frame, row);
        EXPECT_TRUE(golden::matches(name, run.frames[static_cast<std::size_t>(frame)]));
    }
}

TEST(show_frames, bad_arguments_give_exit_code_2_and_one_line) {
    const run_tool::scratch_dir scratch;
    const std::string out = " --out " + scratch.path + "/frames";
    const std::string ticks = " --ticks-file " + scratch.write("1\n2\nthree\n");
    for (const std::string& args : std::vector<std::string>{
             "", " --ticks 1", " --ticks 1" + ticks + out, " --ticks 1,,2" + out,
             " --ticks 2147483648" + out, " --effect sparkle --ticks 1" + out,
             " --ticks 1 --slow" + out, " --ticks 1 --out", ticks + out,
             " --ticks-file " + scratch.path + out, " --ticks 1 --scale 2" + out,
             " --ticks 1 --png --scale 0" + out}) {
        const run_tool::result run = run_tool::run("show-frames" + args);
        EXPECT_EQ(run.exit_code, 2) << args;
        EXPECT_EQ(std::count(run.error_output.begin(), run.error_output.end(), '\n'), 1)
            << run.error_output;
    }
    EXPECT_NE(run_tool::run("show-frames" + ticks + out).error_output.find("line 3"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(scratch.path + "/frames/frame-00000.bin"));
    // A frame that cannot be written names the file and the reason.
    std::filesystem::create_directories(scratch.path + "/frames/frame-00000.png");
    const run_tool::result blocked = run_tool::run("show-frames --png --ticks 0" + out);
    EXPECT_EQ(blocked.exit_code, 1);
    EXPECT_NE(blocked.error_output.find("frame-00000.png: "), std::string::npos)
        << blocked.error_output;
}

// The shared effects a user is told to ask for by name, each shown on its own: a name
// left out of the table is refused, and one paired with another name's effect shows
// that effect's picture.
TEST(show_frames, takes_every_effect_name_its_usage_offers) {
    std::vector<screen_buffer> pictures;
    for (const char* name : {"plasma", "no_signal", "fire", "image_flicker", "counter_twirl",
                             "credits", "digits_credits"}) {
        const screen_buffer picture = run_tool::effect_frame(name, {0, 20000, 100000});
        EXPECT_EQ(std::ranges::count(pictures, picture), 0) << name;
        pictures.push_back(picture);
    }
}

TEST(show_frames, a_ticks_file_gives_the_frames_of_the_same_ticks_inline_and_as_text) {
    const run_tool::scratch_dir scratch;
    const std::string ticks = scratch.write("0\n1\n110000\n110001\n");
    EXPECT_EQ(run_tool::run("show-frames --text --ticks-file " + ticks + " --out " + scratch.path)
                  .exit_code,
              0);
    for (std::size_t index = 0; index < 4; ++index) {
        const std::string name = scratch.path + "/frame-0000" + std::to_string(index);
        const screen_buffer frame = run_tool::read_screen(name + ".bin");
        EXPECT_EQ(frame, walk_run().frames.at(index)) << "frame " << index;
        EXPECT_EQ(run_tool::read_file(name + ".txt"), screen_to_text(frame)) << "frame " << index;
    }
}
