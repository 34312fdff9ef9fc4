#include "effects/zoom.hpp"

#include <cmath>

#include "show/exact_math.hpp"

namespace {

// How many source cells one destination cell steps over on an axis; a scale of 0 means
// the pulse has run out and the picture shows unscaled.
double step_factor(int extent, int scale) {
    return scale == 0 ? 1.0 : static_cast<double>(extent) / scale;
}

// Source position on one axis; truncation toward zero keeps it symmetric about the centre.
int source_position(double factor, int position, int centre) {
    return static_cast<int>(factor * (position - centre)) + centre;
}

}  // namespace

zoom_effect::zoom_effect(effect& child_effect, std::int32_t period, bool wrap_value,
                         bool repeat_value, std::uint8_t fill, float phase_value,
                         float frequency_value)
    : child(child_effect),
      period_ticks(period),
      wrap(wrap_value),
      repeat(repeat_value),
      fill_char(fill),
      phase(phase_value),
      frequency(frequency_value) {}

int zoom_effect::zoom_scale(std::int32_t ticks, int extent) const {
    if (period_ticks <= 0 || (ticks >= period_ticks && !repeat)) {
        return 0;
    }
    const std::int32_t m = ticks % period_ticks;
    const double angle = m * static_cast<double>(frequency) / period_ticks + phase;
    return static_cast<int>(show_sin(angle) * extent);
}

void zoom_effect::render(std::int32_t ticks) {
    render_child(child, now_ticks, child_buffer);
    screen_buffer& out = *target;
    for (std::size_t at = 0; at < out.size(); at += 2) {
        out[at] = fill_char;
        out[at + 1] = 0;
    }
    const double fy = step_factor(screen_centre_row, zoom_scale(ticks, screen_centre_row));
    const double fx = step_factor(screen_centre_col, zoom_scale(ticks, screen_centre_col));
    for (int row = 0; row < screen_rows; ++row) {
        const int sr = source_position(fy, row, screen_centre_row);
        for (int col = 0; col < screen_cols; ++col) {
            const int sc = source_position(fx, col, screen_centre_col);
            if (!wrap && (sc < 0 || sc >= screen_cols || sr < 0 || sr >= screen_rows)) {
                continue;
            }
            const auto from = static_cast<std::size_t>(2 * wrap_cell_index(screen_cols * sr + sc));
            const auto to = static_cast<std::size_t>(screen_offset(col, row));
            out[to] = child_buffer[from];
            out[to + 1] = child_buffer[from + 1];
        }
    }
}
