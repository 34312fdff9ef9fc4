#include "effects/no_signal.hpp"

#include <bit>
#include <cstdio>

namespace {

// The box's lines in code page 437; each shows as 17 cells.
constexpr char box_top[] = "\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB";
constexpr char box_title[] = "\xBA Kein Signal   \xBA";
constexpr char box_time_format[] = "\xBA   %02u:%02u       \xBA";
constexpr char box_empty[] = "\xBA               \xBA";
constexpr char box_bottom[] =
    "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBC";

constexpr int box_column = 62;
constexpr int box_top_row = 19;
constexpr std::uint8_t text_attribute = 0x07;
constexpr std::uint8_t fill_attribute = 0x10;

// Five minutes of show ticks.
constexpr std::int32_t countdown_ticks = 6615000;

// The float nearest to 1/22050 lies a little below it, which is why a whole number of
// seconds remaining reads one second less (the first frame shows 04:59).
constexpr float seconds_per_tick = std::bit_cast<float>(0x383E37C6u);

// Writes text from (column, row) onwards in grey on black. A line is cut at the right
// edge rather than continued on the next row.
void draw_text(screen_buffer& screen, int column, int row, const char* text) {
    for (; *text != '\0' && column < screen_cols; ++text, ++column) {
        const auto offset = static_cast<std::size_t>(wrap_byte_offset(screen_offset(column, row)));
        screen[offset] = static_cast<std::uint8_t>(*text);
        screen[offset + 1] = text_attribute;
    }
}

// The tick difference is taken modulo 2^32, as a 32-bit subtraction wraps, so that local
// times far below zero give a defined (negative) remainder instead of overflowing.
std::int32_t remaining_ticks(std::int32_t ticks) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(countdown_ticks) -
                                     static_cast<std::uint32_t>(ticks));
}

}  // namespace

void no_signal_effect::render(std::int32_t ticks) {
    screen_buffer& screen = *target;
    for (std::size_t offset = 0; offset < screen.size(); offset += 2) {
        screen[offset] = ' ';
        screen[offset + 1] = fill_attribute;
    }
    draw_text(screen, box_column, box_top_row, box_top);
    draw_text(screen, box_column, box_top_row + 1, box_title);

    const std::int32_t remaining = remaining_ticks(ticks);
    if (remaining < 0) {
        draw_text(screen, box_column, box_top_row + 2, box_empty);
    } else {
        // |remaining| < 2^31, so the seconds stay far inside int range.
        const auto seconds =
            static_cast<std::int32_t>(remaining * static_cast<double>(seconds_per_tick));
        char time_line[1000];
        std::snprintf(time_line, sizeof time_line, box_time_format,
                      static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
        draw_text(screen, box_column, box_top_row + 2, time_line);
    }
    draw_text(screen, box_column, box_top_row + 3, box_empty);
    draw_text(screen, box_column, box_top_row + 4, box_bottom);
}
