#include "effects/wobble.hpp"

#include <array>
#include <cmath>
#include <optional>

#include "show/exact_whole_part.hpp"

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

// The wave terms of one frame: each depends on the column or on the row alone, so it is
// worked out once per column or row rather than once per cell, and the sums add the same
// terms in the same order either way.
struct wave_terms {
    std::array<double, screen_cols> x_cos{};
    std::array<double, screen_cols> x_sin{};
    std::array<double, screen_cols> x_step{};
    std::array<double, screen_rows> y_sin{};
    std::array<double, screen_rows> y_step_cos{};
    std::array<double, screen_rows> y_step_sin{};
};

// One function for both kinds of trigonometry keeps the web build's program small.
wave_terms wave_terms_at(double t, double p, double (*sine)(double), double (*cosine)(double)) {
    wave_terms w;
    for (int col = 0; col < screen_cols; ++col) {
        const double x = static_cast<float>(col * static_cast<double>(wobble_space_scale));
        w.x_cos[col] = 2.0 * cosine(static_cast<double>(3.4f) * x + t);
        w.x_sin[col] = sine(static_cast<double>(4.2f) * x + t);
        w.x_step[col] = cosine(static_cast<double>(3.2f) * x + p);
    }
    for (int row = 0; row < screen_rows; ++row) {
        const double y = static_cast<float>(row * static_cast<double>(wobble_space_scale));
        w.y_sin[row] = 4.0 * sine(static_cast<double>(1.2f) * y + t);
        w.y_step_cos[row] = 4.0 * cosine(static_cast<double>(2.2f) * y + p);
        w.y_step_sin[row] = 2.0 * sine(static_cast<double>(2.7f) * y + p);
    }
    return w;
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
    const wave_terms quick = wave_terms_at(t, p, library_trig::sin, library_trig::cos);
    // Each wave sums terms weighing 7 in all; only a cell too close to call needs the
    // exact terms, so they are worked out for the first such cell of the frame.
    std::optional<wave_terms> exact;
    const auto exact_terms = [&]() -> const wave_terms& {
        if (!exact) {
            exact = wave_terms_at(t, p, exact_trig::sin, exact_trig::cos);
        }
        return *exact;
    };
    const double scale_x = 7.0 * std::fabs(ax);
    const double scale_y = 7.0 * std::fabs(ay);
    for (int row = 0; row < screen_rows; ++row) {
        for (int col = 0; col < screen_cols; ++col) {
            const auto wave_x = [&](const wave_terms& w) {
                return (w.x_cos[col] + w.y_sin[row] + w.x_sin[col]) * ax;
            };
            const auto wave_y = [&](const wave_terms& w) {
                return (w.y_step_cos[row] + w.y_step_sin[row] + w.x_step[col]) * ay;
            };
            const double quick_x = wave_x(quick);
            const double quick_y = wave_y(quick);
            const double dx = std::trunc(
                show_whole_part_is_sure(quick_x, scale_x) ? quick_x : wave_x(exact_terms()));
            const double dy = std::trunc(
                show_whole_part_is_sure(quick_y, scale_y) ? quick_y : wave_y(exact_terms()));
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
