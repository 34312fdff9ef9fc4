#include "effects/fire_text.hpp"

#include "effects/show_rand.hpp"
#include "show/font8x8.hpp"

namespace {

constexpr std::array<std::uint8_t, 5> word{'Z', 'o', 'R', 'a', 'X'};
constexpr int letter_spacing = 15;
constexpr int word_left = 4;
constexpr int word_top = 4;
constexpr int smoothing_interval = 10;

using field =
    std::array<std::uint8_t, fire_text_effect::field_columns * fire_text_effect::field_rows>;

std::uint8_t& at(field& heat, int x, int y) {
    return heat[static_cast<std::size_t>(fire_text_effect::field_rows * x + y)];
}

// Heat of a lit pixel's 2x2 screen cells, drawn in the order top left, top right, bottom
// right, bottom left. A later letter overwrites the column it shares with the one before.
void seed_word(field& heat) {
    for (int letter = 0; letter < static_cast<int>(word.size()); ++letter) {
        const glyph& g = font8x8[word[static_cast<std::size_t>(letter)]];
        for (int c = 0; c < 8; ++c) {
            for (int k = 0; k < 8; ++k) {
                if (!glyph_pixel(g, c, k)) {
                    continue;
                }
                const int x = word_left + letter_spacing * letter + 2 * c + 1;
                const int y = word_top + 2 * k + 1;
                at(heat, x, y) = seed_heat(show_rand());
                at(heat, x + 1, y) = seed_heat(show_rand());
                at(heat, x + 1, y + 1) = seed_heat(show_rand());
                at(heat, x, y + 1) = seed_heat(show_rand());
            }
        }
    }
}

// Each cell becomes the mean of its eight neighbours less one, worked in place from left
// to right and top to bottom. A cold neighbourhood (sum 0) gives -1, kept as 255: dead
// areas flare up, which makes the glow wander beyond the letters.
void smooth(field& heat) {
    constexpr int last_x = fire_text_effect::field_columns - 1;
    constexpr int last_y = fire_text_effect::field_rows - 1;
    for (int x = 1; x < last_x; ++x) {
        at(heat, 0, 0) = 0;
        at(heat, 0, last_y) = 0;
        at(heat, last_x, 0) = 0;
        at(heat, last_x, last_y) = 0;
        at(heat, x, 0) = 0;
        at(heat, x, last_y) = 0;
        if (x <= last_y) {
            at(heat, 0, x) = 0;
            at(heat, last_x, x) = 0;
        }
        for (int y = 1; y < last_y; ++y) {
            const int sum = at(heat, x - 1, y - 1) + at(heat, x - 1, y) + at(heat, x - 1, y + 1) +
                            at(heat, x, y - 1) + at(heat, x, y + 1) + at(heat, x + 1, y - 1) +
                            at(heat, x + 1, y) + at(heat, x + 1, y + 1);
            at(heat, x, y) = static_cast<std::uint8_t>((sum - 8) / 8);
        }
    }
}

struct heat_look {
    std::uint8_t character;
    std::uint8_t attribute;
};

// Indexed by heat / 32: red shades up to 127, yellow on red above.
constexpr std::array<heat_look, 8> heat_to_cell{{
    {32, 0x00},
    {176, 0x04},
    {177, 0x04},
    {178, 0x04},
    {176, 0x4E},
    {177, 0x4E},
    {178, 0x4E},
    {219, 0x4E},
}};

}  // namespace

std::uint8_t seed_heat(int random_value) {
    return static_cast<std::uint8_t>(127 + ((random_value * 32769) >> 23));
}

void fire_text_effect::render(std::int32_t) {
    // Wrapping decrement: the counter runs down for the whole life of the process.
    step_counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(step_counter) - 1u);
    seed_word(heat_field);
    if (step_counter % smoothing_interval == 0) {
        smooth(heat_field);
    }
    screen_buffer& screen = *target;
    for (int x = 0; x < screen_cols; ++x) {
        for (int y = 0; y < screen_rows; ++y) {
            const heat_look look = heat_to_cell[at(heat_field, x + 1, y + 1) >> 5];
            const auto offset = static_cast<std::size_t>(screen_offset(x, y));
            screen[offset] = look.character;
            screen[offset + 1] = look.attribute;
        }
    }
}
