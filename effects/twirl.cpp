#include "effects/twirl.hpp"

#include <cmath>

namespace {

constexpr float twirl_time_scale = 0.0001f;
// The centre cell has no direction of its own; this angle stands in for it.
constexpr float centre_angle = 0.05f;

}  // namespace

twirl_effect::twirl_effect(effect& child_effect, float speed_value, float twist_value)
    : child(child_effect), speed(speed_value), twist(twist_value) {}

void twirl_effect::render(std::int32_t ticks) {
    child_buffer.fill(0);
    render_child(child, now_ticks, child_buffer);
    const double t = static_cast<float>(ticks * static_cast<double>(twirl_time_scale));
    const double swing = std::cos(t * speed) * twist;
    screen_buffer& out = *target;
    for (int row = 0; row < screen_rows; ++row) {
        const double dy = row - screen_centre_row;
        for (int col = 0; col < screen_cols; ++col) {
            const double dx = col - screen_centre_col;
            const double d = static_cast<float>(std::sqrt(dy * dy + dx * dx));
            double a0 = centre_angle;
            if (d != 0.0) {
                a0 = dy < 0.0 ? -std::acos(dx / d) : std::acos(dx / d);
            }
            const double a = a0 + swing * d;
            // The row term is subtracted, which turns the picture upside down about the
            // centre row on top of the twist.
            const int v = static_cast<int>(d * std::sin(a) - screen_centre_row);
            const int u = static_cast<int>(d * std::cos(a) + screen_centre_col);
            const auto from = static_cast<std::size_t>(2 * wrap_cell_index(u - screen_cols * v));
            const auto to = static_cast<std::size_t>(screen_offset(col, row));
            out[to] = child_buffer[from];
            out[to + 1] = child_buffer[from + 1];
        }
    }
}
