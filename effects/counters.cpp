#include "effects/counters.hpp"

#include <array>
#include <cmath>
#include <cstdio>

#include "show/exact_math.hpp"
#include "show/exact_whole_part.hpp"

namespace {

using tick_text_buffer = std::array<char, 256>;

constexpr std::uint8_t stripes_fill = 0xCC;
constexpr float stripes_row_factor = 0.001f;
constexpr float drift_band_threshold = 0.4f;
constexpr std::uint8_t red_on_black = 0x04;
constexpr std::uint8_t yellow_on_black = 0x0E;

// The count as unsigned decimal digits and a terminating 0; at most 11 bytes are
// written, the rest keeps `fill`.
tick_text_buffer format_tick_text(std::int32_t ticks, std::uint8_t fill) {
    tick_text_buffer text;
    text.fill(static_cast<char>(fill));
    std::snprintf(text.data(), text.size(), "%u", static_cast<unsigned>(ticks));
    return text;
}

void write_cell(screen_buffer& screen, int offset, char character, std::uint8_t attribute) {
    const auto at = static_cast<std::size_t>(offset);
    screen[at] = static_cast<std::uint8_t>(character);
    screen[at + 1] = attribute;
}

}  // namespace

void counter_stripes_effect::render(std::int32_t ticks) {
    const tick_text_buffer tick_text = format_tick_text(ticks, stripes_fill);
    screen_buffer& screen = *target;
    screen.fill(0);
    const std::int32_t t = ticks / 1000;
    for (int x = 0; x < screen_cols; ++x) {
        for (int y = 0; y < screen_rows; ++y) {
            const double shade = show_whole_part(
                [&](auto trig) {
                    return 175 + trig.sin(static_cast<double>(x * y + t)) *
                                     trig.cos(static_cast<double>(stripes_row_factor) * y);
                },
                1.0);
            const auto attribute = static_cast<std::uint8_t>(static_cast<int>(shade));
            write_cell(screen, screen_offset(x, y), tick_text[static_cast<std::size_t>(x)],
                       attribute);
        }
    }
}

void counter_cross_effect::render(std::int32_t ticks) {
    const tick_text_buffer tick_text = format_tick_text(ticks, tick_text_fill);
    screen_buffer& screen = *target;
    // Two rows high, 39 columns wide; the vertical bar is drawn over it afterwards.
    for (int x = 21; x <= 59; ++x) {
        const char character = tick_text[static_cast<std::size_t>(x + 40)];
        write_cell(screen, screen_offset(x, 12), character, red_on_black);
        write_cell(screen, screen_offset(x, 13), character, red_on_black);
    }
    for (int y = 4; y <= 21; ++y) {
        const char character = tick_text[static_cast<std::size_t>(y + 56)];
        for (int x = 39; x <= 41; ++x) {
            write_cell(screen, screen_offset(x, y), character, red_on_black);
        }
    }
}

void counter_drift_effect::render(std::int32_t ticks) {
    const tick_text_buffer tick_text = format_tick_text(ticks, tick_text_fill);
    screen_buffer& screen = *target;
    // Byte 4 everywhere: the diamond character in red on black.
    screen.fill(4);
    const std::int32_t t = ticks / 1300;
    const std::int32_t a = ticks / 2300;
    const std::int32_t b = ticks / 800;
    for (int x = 0; x < screen_cols; ++x) {
        const double v = show_cos(static_cast<double>(x) + t);
        for (int y = 0; y < screen_rows; ++y) {
            if (v > drift_band_threshold) {
                write_cell(screen, screen_offset(x, y), tick_text[6], red_on_black);
            } else {
                // The trail moves through the buffer as a ring of cells. Wrapping
                // negative offsets back from the end keeps a negative local time, which
                // would otherwise index before the buffer, on the screen.
                const int offset = wrap_byte_offset(2 * (screen_cols * (a + y) + x + b));
                write_cell(screen, offset, tick_text[3], yellow_on_black);
            }
        }
    }
}
