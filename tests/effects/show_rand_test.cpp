#include "effects/show_rand.hpp"

#include <gtest/gtest.h>

#include "effects/fire_text.hpp"
#include "show/font8x8.hpp"

TEST(show_rand, starts_from_state_one_with_the_known_values) {
    // Worked by hand from state * 214013 + 2531011 (mod 2^32), bits 16..30.
    show_rand_sequence() = show_rand_state{};
    for (const int expected : {41, 18467, 6334, 26500, 19169, 15724}) {
        EXPECT_EQ(show_rand(), expected);
    }
    // From 0x7FFFFFFF the step wraps to 2149800646, whose bit 31 is set and dropped.
    EXPECT_EQ(show_rand_state(0x7FFFFFFFu).next(), 35);
}

TEST(show_rand, fire_and_other_consumers_draw_from_one_sequence) {
    // The fire takes four values per lit pixel of its word.
    int draws_per_render = 0;
    for (const std::uint8_t letter : {'Z', 'o', 'R', 'a', 'X'}) {
        for (int k = 0; k < 64; ++k) {
            draws_per_render += glyph_pixel(font8x8[letter], k % 8, k / 8) ? 4 : 0;
        }
    }
    show_rand_sequence() = show_rand_state{};
    fire_text_effect fire;
    screen_buffer screen{};
    fire.target = &screen;
    show_rand_state reference;
    for (int render = 0; render < 2; ++render) {
        fire.render(0);
        for (int i = 0; i < draws_per_render; ++i) {
            reference.next();
        }
        EXPECT_EQ(show_rand(), reference.next()) << render;
    }
}
