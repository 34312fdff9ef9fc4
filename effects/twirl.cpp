#include "effects/twirl.hpp"

#include <array>
#include <cmath>

#include "show/exact_math.hpp"
#include "show/exact_whole_part.hpp"

namespace {

constexpr float twirl_time_scale = 0.0001f;
// The centre cell has no direction of its own; this angle stands in for it.
constexpr float centre_angle = 0.05f;

struct cell_polar {
    double distance = 0;
    double angle = 0;
};

// Every cell's distance from the centre and direction, the same for every frame and every
// twirl, so they are worked out once.
const std::array<cell_polar, screen_cells>& cell_polars() {
    static const std::array<cell_polar, screen_cells> polars = [] {
        std::array<cell_polar, screen_cells> made{};
        for (int row = 0; row < screen_rows; ++row) {
            const double dy = row - screen_centre_row;
            for (int col = 0; col < screen_cols; ++col) {
                const double dx = col - screen_centre_col;
                const double d = static_cast<float>(std::sqrt(dy * dy + dx * dx));
                double a0 = centre_angle;
                if (d != 0.0) {
                    a0 = dy < 0.0 ? -show_acos(dx / d) : show_acos(dx / d);
                }
                made[static_cast<std::size_t>(row * screen_cols + col)] = {d, a0};
            }
        }
        return made;
    }();
    return polars;
}

}  // namespace

twirl_effect::twirl_effect(effect& child_effect, float speed_value, float twist_value)
    : child(child_effect), speed(speed_value), twist(twist_value) {}

void twirl_effect::render(std::int32_t ticks) {
    child_buffer.fill(0);
    render_child(child, now_ticks, child_buffer);
    const double t = static_cast<float>(ticks * static_cast<double>(twirl_time_scale));
    const double swing = show_cos(t * speed) * twist;
    screen_buffer& out = *target;
    const std::array<cell_polar, screen_cells>& polars = cell_polars();
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            const cell_polar& polar = polars[static_cast<std::size_t>(row * screen_cols + col)];
            const double d = polar.distance;
            const double a = polar.angle + swing * d;
            // The row term is subtracted, which turns the picture upside down about the
            // centre row on top of the twist.
            const auto v = static_cast<int>(
                show_whole_part([&](auto trig) { return d * trig.sin(a) - screen_centre_row; }, d));
            const auto u = static_cast<int>(
                show_whole_part([&](auto trig) { return d * trig.cos(a) + screen_centre_col; }, d));
            const auto from = static_cast<std::size_t>(2 * wrap_cell_index(u - screen_cols * v));
            const auto to = static_cast<std::size_t>(screen_offset(col, row));
            out[to] = child_buffer[from];
            out[to + 1] = child_buffer[from + 1];
        }
    }
}
