#include "effects/plasma_rings.hpp"

#include <cmath>

#include "show/exact_math.hpp"

namespace {

// The picture's look depends on the exact single-precision values of these factors (1.3
// is 1.2999999523..., 3.1415 is 3.1414999961...), so they are floats widened to double
// where they are used, never double literals.
constexpr float time_per_tick = 0.00005f;
constexpr float a_x_speed = 1.3f;
constexpr float a_x_sway = 0.2f;
constexpr float a_y_sway = 1.23f;
constexpr float b_x_speed = 3.1415f;
constexpr float b_y_speed = 3.234f;
constexpr float b_y_sway = 2.004f;

struct centre {
    float x;
    float y;
};

std::uint8_t ring_char(bool ring_a_odd, bool ring_b_odd) {
    if (!ring_a_odd && ring_b_odd) {
        return 255;
    }
    return ring_a_odd ? 178 : 32;
}

std::uint8_t ring_attribute(bool ring_a_odd, bool ring_b_odd) {
    if (!ring_a_odd && ring_b_odd) {
        return 0x00;
    }
    return ring_b_odd ? 0x09 : 0x39;
}

// Truncated distance over the ring width. A column step counts as half a row step
// (0.25 on its square) because a text cell is about twice as tall as it is wide.
std::int32_t ring_number(int x, int y, centre c, std::int32_t ring_width) {
    const double dx = x - static_cast<double>(c.x);
    const double dy = y - static_cast<double>(c.y);
    const double dist = std::sqrt(0.25 * dx * dx + dy * dy);
    return static_cast<std::int32_t>(dist) / ring_width;
}

}  // namespace

plasma_rings_effect::plasma_rings_effect(std::int32_t width) : ring_width(width) {}

void plasma_rings_effect::render(std::int32_t ticks) {
    const double t = static_cast<float>(ticks * static_cast<double>(time_per_tick));

    // Each coordinate is kept as a float: that rounding decides which cells lie on a
    // ring boundary.
    const centre a{
        static_cast<float>(40.0 + 20.0 * show_cos(a_x_speed * t + 2.0) * show_sin(a_x_sway * t)),
        static_cast<float>(12.0 + 20.0 * show_sin(2.5 * t + 1.0) * show_cos(a_y_sway * t)),
    };
    const centre b{
        static_cast<float>(40.0 + 20.0 * show_sin(36.0) * show_cos(b_x_speed * t + 0.5)),
        static_cast<float>(12.0 + 20.0 * show_sin(b_y_speed * t + 12.0) * show_cos(b_y_sway * t)),
    };

    screen_buffer& screen = *target;
    for (int y = 0; y < screen_rows; ++y) {
        for (int x = 0; x < screen_cols; ++x) {
            const bool ring_a_odd = ring_number(x, y, a, ring_width) % 2 != 0;
            const bool ring_b_odd = ring_number(x, y, b, ring_width) % 2 != 0;
            const auto offset = static_cast<std::size_t>(screen_offset(x, y));
            screen[offset] = ring_char(ring_a_odd, ring_b_odd);
            screen[offset + 1] = ring_attribute(ring_a_odd, ring_b_odd);
        }
    }
}
