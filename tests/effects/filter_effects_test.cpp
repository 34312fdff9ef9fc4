// Effects that show other effects: layered, chosen at random, or moved cell by cell.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "effects/layer_effects.hpp"
#include "effects/show_rand.hpp"
#include "effects/twirl.hpp"
#include "effects/wobble.hpp"
#include "effects/zoom.hpp"
#include "platform/process.hpp"
#include "tests/effects/cell_index_child.hpp"
#include "tests/effects/golden.hpp"

namespace {

class picture_child final : public effect {
  public:
    explicit picture_child(const screen_buffer& shown) : picture(shown) {}
    void render(std::int32_t) override { *target = picture; }
    screen_buffer picture;
};

screen_buffer filled(std::uint8_t character, std::uint8_t attribute) {
    screen_buffer screen{};
    for (std::size_t at = 0; at < screen.size(); at += 2) {
        screen[at] = character;
        screen[at + 1] = attribute;
    }
    return screen;
}

// What cell_index_child draws: every cell copied from itself.
screen_buffer unmoved() {
    cell_index_child plain;
    return frame_at(plain, 0);
}

}  // namespace

TEST(image_effect, shows_what_a_wrong_sized_or_missing_file_held_and_names_the_fault) {
    // A file counting 1..251 over and over, in the test's folder, cut shorter step by step.
    const std::string path = "image_effect_test.jpg";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (int at = 0; at < 4001; ++at) {
            out.put(static_cast<char>(at % 251 + 1));
        }
    }
    screen_buffer part{};
    EXPECT_EQ(load_screen_file(path.c_str(), part).error(), path + ": longer than 4000 bytes");
    std::filesystem::resize_file(path, 4000);
    image_effect full(path.c_str());
    screen_buffer frame = filled('?', 0x07);
    render_child(full, 0, frame);
    EXPECT_EQ(frame, part);
    EXPECT_EQ(frame[3999], 3999 % 251 + 1);
    EXPECT_TRUE(load_screen_file(path.c_str(), frame).has_value());
    std::filesystem::resize_file(path, 3000);
    part = screen_buffer{};
    EXPECT_EQ(load_screen_file(path.c_str(), part).error(), path + ": 3000 bytes, expected 4000");
    EXPECT_EQ(part[2999], 2999 % 251 + 1);
    EXPECT_EQ(part[3000], 0);
    std::filesystem::remove(path);
}

TEST(overlay_effect, key_character_is_transparent_in_any_colour_and_all_else_covers) {
    // Black on black covers; the first cells hold character 0 on red and a space on blue.
    screen_buffer top = filled('X', 0x00);
    std::ranges::copy(std::array<std::uint8_t, 4>{0, 0x4F, ' ', 0x10}, top.begin());
    picture_child base(filled('B', 0x1E));
    picture_child over(top);
    for (const int hole : {0, 1}) {
        overlay_effect overlay(base, over, top[2 * hole]);
        screen_buffer frame{};
        render_child(overlay, 0, frame);
        screen_buffer expected = top;
        expected[2 * hole] = 'B';
        expected[2 * hole + 1] = 0x1E;
        EXPECT_EQ(frame, expected) << "key " << int{top[2 * hole]};
    }
    // Children run on the overlay's clock; its buffer keeps cells a child leaves unwritten.
    cell_index_child once;
    once.draws_once = true;
    overlay_effect overlay(base, once, 0);
    screen_buffer first{};
    render_child(overlay, 7000, first);
    screen_buffer frame{};
    render_child(overlay, 9000, frame);
    EXPECT_EQ(base.now_ticks, 9000);
    EXPECT_EQ(once.last_ticks, 2000);
    EXPECT_EQ(frame, first);
}
TEST(random_switch_effect, first_child_only_above_threshold_and_unchosen_clock_waits) {
    picture_child first(filled('1', 0x07));
    picture_child second(filled('2', 0x07));
    // The sequence starts 41, 18467, 6334: second, first, second.
    show_rand_sequence() = show_rand_state{};
    random_switch_effect flicker(first, second, 16383.5);
    for (const auto& [now, shown] : {std::pair{100000, '2'}, {100001, '1'}, {100002, '2'}}) {
        screen_buffer frame{};
        render_child(flicker, now, frame);
        EXPECT_EQ(frame[0], shown) << now;
    }
    EXPECT_EQ(first.start_ticks, 100001) << "the unchosen child's clock waits";
    EXPECT_EQ(second.start_ticks, 100000);
    // Only a value strictly above the threshold picks the first child.
    for (const double threshold : {40.5, 41.0}) {
        random_switch_effect exact(first, second, threshold);
        show_rand_sequence() = show_rand_state{};
        screen_buffer frame{};
        render_child(exact, 0, frame);
        EXPECT_EQ(frame[0], threshold < 41 ? '1' : '2') << threshold;
    }
}

namespace {

screen_buffer wobbled(float amplitude_x, float amplitude_y, bool wrap, std::int32_t ticks) {
    cell_index_child child;
    wobble_effect wobble(amplitude_x, amplitude_y, wrap, child);
    return frame_at(wobble, ticks);
}

}  // namespace

// Column -1 continues at column 79 of the row above (row -1 of column 0 is cell 1920);
// without wrap those cells are blank; huge amplitudes wrap far instead of overflowing.
TEST(wobble_effect, wrap_follows_the_row_major_ring_and_clipping_leaves_blank_cells) {
    EXPECT_TRUE(golden::matches("wobble_strong_wrapped_t30000", wobbled(3.0f, 2.0f, true, 30000)));
    EXPECT_TRUE(golden::matches("wobble_clipped_t30000", wobbled(3.0f, 0.0f, false, 30000)));
    EXPECT_TRUE(golden::matches("wobble_rows_wrapped_t12000", wobbled(0.0f, 2.0f, true, 12000)));
    EXPECT_TRUE(golden::matches("wobble_huge_wrapped_t1000", wobbled(1e12f, 3e11f, true, 1000)));
    EXPECT_EQ(wobbled(1e12f, 3e11f, false, 1000), screen_buffer{});
    EXPECT_EQ(wobbled(INFINITY, 1.0f, true, 1000), screen_buffer{});
}

namespace {

constexpr float zoom_in = 0.1f;
constexpr float zoom_out = 1.6207963f;
constexpr float frequency = 1.5207963f;

cell_index_child zoomed_child;

zoom_effect zoom(std::int32_t period, float phase, bool repeat = false, bool wrap = false,
                 std::uint8_t fill = 0) {
    return zoom_effect(zoomed_child, period, wrap, repeat, fill, phase, frequency);
}

}  // namespace

TEST(zoom_effect, scale_values_of_the_show_pulses) {
    // At the peak of the zoom-in the sine stays just below 1 when worked in double.
    EXPECT_EQ(zoom(22000, zoom_in).zoom_scale(21277, 12), 11);
    EXPECT_EQ(zoom(22000, zoom_in).zoom_scale(21277, 40), 39);
    for (const auto& [period, rows_end, cols_end] :
         {std::tuple{22000, 20794, 21639}, std::tuple{44000, 41587, 43277}}) {
        const zoom_effect out = zoom(period, zoom_out);
        EXPECT_EQ(out.zoom_scale(rows_end - 1, 12), 1);
        EXPECT_EQ(out.zoom_scale(rows_end, 12), 0);
        EXPECT_EQ(out.zoom_scale(cols_end - 1, 40), 1);
        EXPECT_EQ(out.zoom_scale(cols_end, 40), 0);
    }
    // A repeating pulse starts over each period; a period that is not positive has none.
    EXPECT_EQ(zoom(22000, zoom_in, true).zoom_scale(22000, 12), 1);
    EXPECT_EQ(zoom(22000, zoom_in, true).zoom_scale(44000 + 21999, 40), 39);
    EXPECT_EQ(zoom(0, zoom_in, true).zoom_scale(7000, 40), 0);
}

// Zooming in starts as a thumbnail on the fill: factors 12 and 40/3 sample rows 0, 12, 24
// and columns 0, 14, 27, 40, 53, 66 into rows 11 to 13 and columns 37 to 42. With wrap,
// row 12 column 0 reads column trunc(40/3 x -40) + 40 = -493 of row 12, cell 467.
TEST(zoom_effect, starts_as_a_thumbnail_on_the_fill_wraps_on_the_ring_and_ends_unscaled) {
    zoom_effect thumbnail = zoom(22000, zoom_in, false, false, ' ');
    EXPECT_TRUE(golden::matches("zoom_in_t0", frame_at(thumbnail, 0)));
    zoom_effect wrapping = zoom(22000, zoom_in, false, true);
    EXPECT_TRUE(golden::matches("zoom_in_wrapped_t0", frame_at(wrapping, 0)));
    // Once a single pulse is spent the child shows as it is.
    zoom_effect spent = zoom(22000, zoom_in);
    EXPECT_EQ(frame_at(spent, 22000), unmoved());
    zoom_effect out = zoom(22000, zoom_out);
    EXPECT_TRUE(golden::matches("zoom_out_t11000", frame_at(out, 11000)));
}

namespace {

screen_buffer twirled(float speed, float twist, std::int32_t ticks) {
    cell_index_child child;
    twirl_effect twirl(child, speed, twist);
    return frame_at(twirl, ticks);
}

}  // namespace

TEST(twirl_effect, off_screen_sources_wrap_and_the_child_is_cleared) {
    // Cell (79, 24) lies at distance 40.804 and angle 0.2985; a twist of -0.00609 turns it
    // to 0.05: column trunc(40.804 cos 0.05 + 40) = 80, row term
    // trunc(40.804 sin 0.05 - 12) = -9, so cell 80 + 720 = 800, column 0 of row 10.
    EXPECT_EQ(source_of(twirled(1.0f, -0.00609f, 0), 79, 24), 800);
    EXPECT_TRUE(golden::matches("twirl_full_twist_t0", twirled(0.4f, 0.25f, 0)));
    // The child's buffer is cleared before every child render.
    cell_index_child child;
    child.draws_once = true;
    twirl_effect twirl(child, 0.4f, 0.25f);
    EXPECT_EQ(frame_at(twirl, 1000), screen_buffer{});
    EXPECT_EQ(child.last_ticks, 1000);
}
