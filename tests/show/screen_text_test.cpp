#include "show/screen_text.hpp"

#include <gtest/gtest.h>

namespace {

screen_buffer every_code_and_attribute() {
    screen_buffer screen{};
    for (int cell = 0; cell < screen_cells; ++cell) {
        screen[static_cast<std::size_t>(2 * cell)] = static_cast<std::uint8_t>(cell % 256);
        screen[static_cast<std::size_t>(2 * cell + 1)] =
            static_cast<std::uint8_t>((cell * 7) % 256);
    }
    return screen;
}

std::string replace_line(const std::string& text, int line_number, const std::string& with) {
    std::size_t start = 0;
    for (int i = 1; i < line_number; ++i) {
        start = text.find('\n', start) + 1;
    }
    const std::size_t end = text.find('\n', start);
    return text.substr(0, start) + with + text.substr(end);
}

}  // namespace

TEST(screen_text, round_trips_every_code_and_attribute) {
    const screen_buffer screen = every_code_and_attribute();
    const std::string text = screen_to_text(screen);
    screen_buffer back{};
    std::string error;
    ASSERT_TRUE(screen_from_text(text, back, error)) << error;
    EXPECT_EQ(back, screen);
}

TEST(screen_text, null_and_ff_get_visible_stand_ins_and_spaces_stay_spaces) {
    screen_buffer screen{};
    screen[0] = 0x00;
    screen[2] = 0xFF;
    screen[4] = 0x20;
    screen[6] = 0xDB;
    const std::string text = screen_to_text(screen);
    EXPECT_EQ(text.substr(0, 3 + 3 + 1 + 3), "\u2400\u237D \u2588");
}

TEST(screen_text, colour_grids_hold_foreground_then_background_digits) {
    screen_buffer screen{};
    screen[1] = 0x1F;
    const std::string text = screen_to_text(screen);
    const std::size_t fg = text.find("\n\n") + 2;
    EXPECT_EQ(text[fg], 'F');
    const std::size_t bg = text.find("\n\n", fg) + 2;
    EXPECT_EQ(text[bg], '1');
}

TEST(screen_text, rejects_malformed_sources_naming_the_line) {
    const std::string good = screen_to_text(every_code_and_attribute());
    screen_buffer back{};
    std::string error;

    EXPECT_FALSE(screen_from_text(replace_line(good, 7, std::string(79, 'x')), back, error));
    EXPECT_EQ(error, "line 7: 79 glyphs, expected 80");

    EXPECT_FALSE(screen_from_text(replace_line(good, 30, std::string(80, 'g')), back, error));
    EXPECT_EQ(error, "line 30: column 1 is not a hex digit");

    EXPECT_FALSE(screen_from_text(replace_line(good, 60, std::string(81, '0')), back, error));
    EXPECT_EQ(error, "line 60: 81 digits, expected 80");

    EXPECT_FALSE(screen_from_text(good.substr(0, good.size() / 2), back, error));
    EXPECT_NE(error.find("line"), std::string::npos);

    EXPECT_FALSE(screen_from_text(replace_line(good, 3, std::string(80, '\xC3')), back, error));
    EXPECT_EQ(error, "line 3: malformed UTF-8");
}
