#include "effects/layer_effects.hpp"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "effects/show_rand.hpp"
#include "platform/process.hpp"
#include "tests/effects/cell_index_child.hpp"

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

// A file of `size` bytes counting 1..251 over and over, in the build's own test folder.
std::string screen_file(const std::string& name, std::size_t size) {
    const std::string path = "image_effect_" + name + ".jpg";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t at = 0; at < size; ++at) {
        out.put(static_cast<char>(at % 251 + 1));
    }
    return path;
}

}  // namespace

TEST(image_effect, shows_what_a_wrong_sized_or_missing_file_held_and_names_the_fault) {
    const std::string full_path = screen_file("full", 4000);
    image_effect full(full_path.c_str());
    screen_buffer frame = filled('?', 0x07);
    render_child(full, 0, frame);
    EXPECT_EQ(frame[3999], 3999 % 251 + 1);
    EXPECT_EQ(load_screen_file(full_path.c_str(), frame), "");

    const std::string short_path = screen_file("short", 3000);
    screen_buffer part{};
    EXPECT_EQ(load_screen_file(short_path.c_str(), part),
              "textshow: " + short_path + ": 3000 bytes, expected 4000");
    EXPECT_EQ(part[2999], 2999 % 251 + 1);
    EXPECT_EQ(part[3000], 0);

    const std::string long_path = screen_file("long", 4001);
    EXPECT_EQ(load_screen_file(long_path.c_str(), part),
              "textshow: " + long_path + ": longer than 4000 bytes");
    EXPECT_EQ(part, full.screen);

    EXPECT_EXIT(
        {
            image_effect missing("no-such-screen.jpg");
            exit_process(missing.screen == screen_buffer{} ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "^textshow: no-such-screen.jpg: No such file or directory\n$");
    for (const auto& path : {full_path, short_path, long_path}) {
        std::filesystem::remove(path);
    }
}

TEST(clear_effect, blanks_every_cell) {
    clear_effect clear;
    screen_buffer frame = filled('#', 0x4E);
    render_child(clear, 1234, frame);
    EXPECT_EQ(frame, screen_buffer{});
}

TEST(end_effect, ends_the_process_with_code_23_on_its_first_render) {
    end_effect last;
    screen_buffer frame{};
    EXPECT_EXIT(render_child(last, 1826000, frame), ::testing::ExitedWithCode(23), "");
}

TEST(overlay_effect, key_character_is_transparent_in_any_colour_and_all_else_covers) {
    screen_buffer top = filled('X', 0x00);  // black on black still covers
    top[0] = 0;                             // character 0, white on red
    top[1] = 0x4F;
    top[2] = ' ';  // a space on blue
    top[3] = 0x10;
    picture_child base(filled('B', 0x1E));
    picture_child over(top);
    const std::pair<std::uint8_t, int> key_and_hole[] = {{0, 0}, {' ', 1}};
    for (const auto& [key, hole] : key_and_hole) {
        overlay_effect overlay(base, over, key);
        screen_buffer frame{};
        render_child(overlay, 0, frame);
        screen_buffer expected = top;
        expected[2 * hole] = 'B';
        expected[2 * hole + 1] = 0x1E;
        EXPECT_EQ(frame, expected) << "key " << int{key};
    }
}

TEST(overlay_effect, children_run_on_its_clock_and_its_buffer_keeps_skipped_cells) {
    picture_child base(filled('B', 0x1E));
    cell_index_child over;
    over.draws_once = true;
    overlay_effect overlay(base, over, 0);
    screen_buffer first{};
    render_child(overlay, 7000, first);
    screen_buffer frame{};
    render_child(overlay, 9000, frame);
    EXPECT_EQ(base.now_ticks, 9000);
    EXPECT_EQ(base.target, &frame);
    EXPECT_EQ(over.last_ticks, 2000);
    EXPECT_EQ(over.target, &overlay.overlay_buffer);
    EXPECT_EQ(frame, first);
}

TEST(random_switch_effect, first_child_only_above_threshold_so_choices_split_half_and_half) {
    picture_child first(filled('1', 0x07));
    picture_child second(filled('2', 0x07));
    random_switch_effect flicker(first, second, 16383.5);
    show_rand_sequence() = show_rand_state{};
    show_rand_state values;
    int firsts = 0;
    for (int n = 0; n < 20000; ++n) {
        screen_buffer frame{};
        render_child(flicker, n, frame);
        const bool expect_first = values.next() > 16383;
        ASSERT_EQ(frame[0], expect_first ? '1' : '2') << "frame " << n;
        firsts += expect_first ? 1 : 0;
    }
    EXPECT_NEAR(firsts, 10000, 200);

    const int drawn = show_rand_state{}.next();
    for (const double threshold : {drawn - 0.5, static_cast<double>(drawn)}) {
        random_switch_effect exact(first, second, threshold);
        show_rand_sequence() = show_rand_state{};
        screen_buffer frame{};
        render_child(exact, 0, frame);
        EXPECT_EQ(frame[0], threshold < drawn ? '1' : '2') << threshold;
    }
}

TEST(random_switch_effect, child_clock_starts_on_the_first_frame_it_is_chosen) {
    cell_index_child first;
    cell_index_child second;
    random_switch_effect flicker(first, second, 16383.5);
    show_rand_sequence() = show_rand_state{};
    show_rand_state values;
    screen_buffer frame{};
    std::int32_t now = 100000;
    // The sequence starts with values that pick the second child.
    for (; values.next() <= 16383; now += 1000) {
        render_child(flicker, now, frame);
        ASSERT_TRUE(first.first_frame);
        ASSERT_EQ(first.start_ticks, 0);
    }
    ASSERT_GT(now, 100000);
    render_child(flicker, now, frame);
    EXPECT_EQ(first.start_ticks, now);
    EXPECT_EQ(first.target, &frame);
    EXPECT_EQ(second.start_ticks, 100000);
}
