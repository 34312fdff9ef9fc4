#include "show/show_composition.hpp"

#include <algorithm>
#include <bit>
#include <iterator>

#include <gtest/gtest.h>

#include "effects/layer_effects.hpp"
#include "effects/scroller.hpp"
#include "effects/wobble.hpp"
#include "effects/zoom.hpp"
#include "show/show_texts.hpp"
#include "tests/show/run_tool.hpp"

namespace {

// Shows whatever picture the test last gave it: a shared effect's frame as show-frames
// rendered it alone, so that a row's own zooms and overlays can be rebuilt around it.
class still_effect final : public effect {
  public:
    void render(std::int32_t) override { *target = picture; }
    screen_buffer picture{};
};

const float zoom_frequency = std::bit_cast<float>(0x3FC2A974u);
const float zoom_in_phase = std::bit_cast<float>(0x3DCCCCCDu);
const float zoom_out_phase = std::bit_cast<float>(0x3FCF7641u);

screen_buffer render_at(effect& e, std::int32_t t) {
    screen_buffer frame{};
    render_child(e, t, frame);
    return frame;
}

// Through every row of the show, one frame at least for each, as the timeline steps one
// row per frame at most. Row 2 gets ten frames so that the fire has cooled its field
// once (every tenth render) before row 3 shows it.
const std::vector<std::int32_t> walk{0,       1,       110000,  110001,  112001,  114001,  116001,
                                     118001,  120001,  122001,  124001,  126001,  128001,  132001,
                                     220001,  242001,  330001,  352001,  462001,  484001,  594001,
                                     616001,  1166001, 1179001, 1188001, 1232001, 1408001, 1430001,
                                     1760001, 1790001, 1804001, 1826000, 1826001};

std::vector<std::int32_t> walk_between(std::int32_t after, std::int32_t last) {
    std::vector<std::int32_t> ticks;
    std::copy_if(walk.begin(), walk.end(), std::back_inserter(ticks),
                 [&](std::int32_t t) { return t > after && t <= last; });
    return ticks;
}

}  // namespace

class show_walk : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { run = run_tool::show_frames(walk); }
    static const screen_buffer& frame_at(std::int32_t t) {
        const auto index =
            static_cast<std::size_t>(std::find(walk.begin(), walk.end(), t) - walk.begin());
        static const screen_buffer none{};
        return index < run.frames.size() ? run.frames[index] : none;
    }
    static inline run_tool::result run;
};

TEST_F(show_walk, rows_change_after_their_start_and_the_last_row_ends_the_show) {
    EXPECT_EQ(run.exit_code, 23) << run.error_output;
    // Tick 1826000 still shows row 18; the first tick past it ends the process unwritten.
    ASSERT_EQ(run.frames.size(), walk.size() - 1);
    EXPECT_EQ(frame_at(1826000), screen_buffer{});
    EXPECT_EQ(frame_at(0), screen_buffer{});
    EXPECT_EQ(frame_at(110000), run_tool::effect_frame("no_signal", {1, 110000}));
    EXPECT_NE(frame_at(110001), frame_at(110000));
}

TEST_F(show_walk, shared_effects_run_on_from_their_first_render_anywhere) {
    // The countdown goes on under the fire's zoom-in; the fire burns on alone in row 3.
    still_effect no_signal;
    still_effect fire;
    zoom_effect fire_zoom(fire, 22000, false, false, 0, zoom_in_phase, zoom_frequency);
    overlay_effect row2(no_signal, fire_zoom, 0);
    no_signal.picture = run_tool::effect_frame("no_signal", {1, 110001});
    fire.picture = run_tool::effect_frame("fire", {110001});
    EXPECT_EQ(frame_at(110001), render_at(row2, 110001));
    EXPECT_EQ(frame_at(132001), run_tool::effect_frame("fire", walk_between(110000, 132001)));

    // The plasma first shown inside row 6's zoom-in is the plasma of row 9.
    EXPECT_EQ(frame_at(484001), run_tool::effect_frame("plasma", {330001, 484001}));

    // The counters keep counting from row 14 under row 15's zoom-out, and the digits
    // with their credits run on from row 15 through row 17's long zoom-out.
    still_effect digits;
    still_effect counters;
    zoom_effect counter_zoom(counters, 22000, false, false, 0, zoom_out_phase, zoom_frequency);
    overlay_effect row15(digits, counter_zoom, 0);
    digits.picture = run_tool::effect_frame("digits_credits", {1408001});
    counters.picture = run_tool::effect_frame("counter_twirl", {1232001, 1408001});
    EXPECT_EQ(frame_at(1408001), render_at(row15, 1408001));
    EXPECT_EQ(frame_at(1430001), run_tool::effect_frame("digits_credits", {1408001, 1430001}));

    zoom_effect row17(digits, 44000, false, false, 0, zoom_out_phase, zoom_frequency);
    digits.picture = run_tool::effect_frame("digits_credits", {1408001, 1430001, 1760001});
    EXPECT_EQ(frame_at(1760001), render_at(row17, 1760001));
    digits.picture = run_tool::effect_frame("digits_credits", {1408001, 1430001, 1760001, 1790001});
    EXPECT_EQ(frame_at(1790001), render_at(row17, 1790001));
}

TEST_F(show_walk, row_12_brings_its_own_invitation_in_from_the_right_edge) {
    still_effect plasma;
    wobble_effect wobble(3.0f, 2.0f, true, plasma);
    scroller_effect invitation(invitation_line, invitation_line_length, 15, 0, 219, 4);
    overlay_effect scene(wobble, invitation, 0);
    zoom_effect row12(scene, 22000, false, false, ' ', zoom_out_phase, zoom_frequency);
    screen_buffer frame{};
    for (const std::int32_t t : {1166001, 1179001}) {
        plasma.picture = run_tool::effect_frame("plasma", {330001, t});
        render_child(row12, t, frame);
        EXPECT_EQ(frame_at(t), frame) << "at tick " << t;
    }
    // 13000 ticks in, the first letter stands twenty columns into the screen; the row-11
    // scroller's text left it long before.
    bool letter_shown = false;
    for (std::size_t at = 0; at < frame.size(); at += 2) {
        letter_shown = letter_shown || (frame[at] == 219 && frame[at + 1] == 0x0F);
    }
    EXPECT_TRUE(letter_shown);
}
