#include "effects/fire_text.hpp"

#include <array>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "effects/show_rand.hpp"
#include "show/font8x8.hpp"
#include "tests/effects/golden.hpp"

using golden::cell;

namespace {

// Renders the fire `renders` more times; a fire fresh from construction starts on a fresh
// random sequence.
screen_buffer burnt(fire_text_effect& fire, int renders, std::int32_t ticks = 0) {
    if (fire.step_counter == 0) {
        show_rand_sequence() = show_rand_state{};
    }
    screen_buffer screen{};
    for (int i = 0; i < renders; ++i) {
        screen = golden::frame(fire, ticks);
    }
    return screen;
}

// Whether a lit pixel of the word, at double size from (4, 4) with letters 15 columns
// apart, covers screen cell (x, y).
bool in_word(int x, int y) {
    for (int letter = 0; letter < 5 && y >= 4 && y <= 19; ++letter) {
        const glyph& g = font8x8[static_cast<std::uint8_t>(std::string_view("ZoRaX")[letter])];
        for (int c = 0; c < 8; ++c) {
            const int left = 4 + 15 * letter + 2 * c;
            if ((x == left || x == left + 1) && glyph_pixel(g, c, (y - 4) / 2)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(fire_text_effect, seed_heat_spans_127_to_254_in_both_forms) {
    EXPECT_EQ(seed_heat(0), 127);
    EXPECT_EQ(seed_heat(32767), 254);
    // The scaled form agrees with the integer one for every value when worked in double;
    // in single precision throughout, 32767 would reach 255.
    for (int r = 0; r <= 32767; ++r) {
        ASSERT_EQ(seed_heat(r), static_cast<int>(r * static_cast<double>(0.003906369f) + 127));
    }
}

TEST(fire_text_effect, renders_one_to_nine_show_only_the_seeded_word) {
    // 'Z' glyph column 0 row 0 is lit first: values 41, 18467, 6334 and 26500 give heat
    // 127, 199, 151 and 230, top left, top right, bottom right, bottom left.
    fire_text_effect first;
    const screen_buffer one = burnt(first, 1);
    EXPECT_EQ((std::array{cell(one, 4, 4), cell(one, 5, 4), cell(one, 5, 5), cell(one, 4, 5)}),
              (std::array{0x04'B2, 0x4E'B2, 0x4E'B0, 0x4E'DB}));
    for (int renders = 1; renders <= 9; renders += 8) {
        fire_text_effect fire;
        const screen_buffer screen = burnt(fire, renders);
        for (int i = 0; i < screen_cells; ++i) {
            const int shown = cell(screen, i % screen_cols, i / screen_cols);
            const bool seeded = shown == 0x04'B2 || (shown >> 8) == 0x4E;
            ASSERT_EQ(seeded, in_word(i % screen_cols, i / screen_cols)) << renders << ": " << i;
            ASSERT_TRUE(seeded || shown == ' ') << renders << ": " << i;
        }
    }
}

TEST(fire_text_effect, tenth_render_smooths_in_place_with_truncation_toward_zero) {
    // Down heat column 1, far from the seeds: a cold neighbourhood flares to 255, the cell
    // below sees 255 (heat 30), the next 30 (heat 2), the next 2, giving (2 - 8) / 8 = 0
    // rather than -1, and the one after flares again. The border stays cold.
    fire_text_effect fire;
    EXPECT_EQ(cell(burnt(fire, 9), 0, 0), ' ');
    EXPECT_EQ(cell(burnt(fire, 1), 0, 0), 0x4E'DB);
    const auto column = fire.heat_field.begin() + fire_text_effect::field_rows;
    EXPECT_EQ(std::vector<int>(column, column + 6), (std::vector<int>{0, 255, 30, 2, 0, 255}));
    EXPECT_EQ(column[fire_text_effect::field_rows - 1], 0);
}

TEST(fire_text_effect, ticks_have_no_influence) {
    fire_text_effect at_zero;
    fire_text_effect at_other;
    EXPECT_EQ(burnt(at_zero, 23, 0), burnt(at_other, 23, -123456789));
    EXPECT_EQ(at_zero.heat_field, at_other.heat_field);
}

TEST(fire_text_effect, frame_after_25_renders_matches_golden) {
    fire_text_effect fire;
    EXPECT_TRUE(golden::matches("fire_text", burnt(fire, 25)));
}
