#include "effects/wobble.hpp"

#include <array>
#include <cmath>

#include "show/exact_math.hpp"

namespace {

constexpr float wobble_time_scale = 0.00025f;
constexpr float wobble_space_scale = 0.025f;

// Whether a finite displacement keeps the position on its axis of 0..last.
bool stays_on_screen(int position, double displacement, int last) {
    const double moved = position + displacement;
    return moved >= 0.0 && moved <= last;
}

// A displacement reduced by the period with which it moves the cell index on the ring:
// 2000 cells for a column step, 25 rows for a row step. Large amplitudes therefore read
// the same cell they would with unbounded integers, and no conversion overflows.
int ring_steps(double displacement, double period) {
    return static_cast<int>(std::fmod(displacement, period));
}

void copy_cell(const screen_buffer& from, int from_cell, screen_buffer& to, int to_cell) {
    const auto src = static_cast<std::size_t>(2 * from_cell);
    const auto dst = static_cast<std::size_t>(2 * to_cell);
    to[dst] = from[src];
    to[dst + 1] = from[src + 1];
}

}  // namespace

wobble_effect::wobble_effect(float amplitude_x_value, float amplitude_y_value, bool wrap_value,
                             effect& child_effect)
    : amplitude_x(amplitude_x_value),
      amplitude_y(amplitude_y_value),
      wrap(wrap_value),
      child(child_effect) {}

void wobble_effect::render(std::int32_t ticks) {
    const double t = static_cast<float>(ticks * static_cast<double>(wobble_time_scale));
    screen_buffer& out = *target;
    out.fill(0);
    render_child(child, now_ticks, child_buffer);

    // The vertical wave advances in whole radians, stepping once every 4000 ticks, while
    // the horizontal one moves smoothly.
    const double p = std::trunc(t);
    const double ax = std::trunc(amplitude_x);
    const double ay = std::trunc(amplitude_y);
    // Each wave term depends on the row or on the column alone, so it is computed once
    // per row or column rather than once per cell; the sums below add the same terms in
    // the same order either way.
    std::array<double, screen_cols> x_cos{};
    std::array<double, screen_cols> x_sin{};
    std::array<double, screen_cols> x_step{};
    for (int col = 0; col < screen_cols; ++col) {
        const double x = static_cast<float>(col * static_cast<double>(wobble_space_scale));
        x_cos[col] = 2.0 * show_cos(static_cast<double>(3.4f) * x + t);
        x_sin[col] = show_sin(static_cast<double>(4.2f) * x + t);
        x_step[col] = show_cos(static_cast<double>(3.2f) * x + p);
    }
    for (int row = 0; row < screen_rows; ++row) {
        const double y = static_cast<float>(row * static_cast<double>(wobble_space_scale));
        const double y_sin = 4.0 * show_sin(static_cast<double>(1.2f) * y + t);
        const double y_step_cos = 4.0 * show_cos(static_cast<double>(2.2f) * y + p);
        const double y_step_sin = 2.0 * show_sin(static_cast<double>(2.7f) * y + p);
        for (int col = 0; col < screen_cols; ++col) {
            const double wave_x = x_cos[col] + y_sin + x_sin[col];
            const double wave_y = y_step_cos + y_step_sin + x_step[col];
            const double dx = std::trunc(wave_x * ax);
            const double dy = std::trunc(wave_y * ay);
            // A source that is off the screen without wrapping, or nowhere at all (an
            // infinite amplitude), leaves the cell blank.
            if (!std::isfinite(dx) || !std::isfinite(dy)) {
                continue;
            }
            if (!wrap && (!stays_on_screen(col, dx, screen_cols - 1) ||
                          !stays_on_screen(row, dy, screen_rows - 1))) {
                continue;
            }
            const int source = wrap_cell_index(screen_cols * (row + ring_steps(dy, screen_rows)) +
                                               col + ring_steps(dx, screen_cells));
            copy_cell(child_buffer, source, out, screen_cols * row + col);
        }
    }
}
