#pragma once

#include <cstdint>

#include "show/effect.hpp"

// Shows its child's picture scaled about the screen centre (column 40, row 12), the scale
// following a sine that advances by `frequency` radians from `phase` over one period.
// Cells that receive no source cell hold `fill_char` on black.
class zoom_effect final : public effect {
  public:
    zoom_effect(effect& child_effect, std::int32_t period, bool wrap_value, bool repeat_value,
                std::uint8_t fill, float phase_value, float frequency_value);

    void render(std::int32_t ticks) override;

    // The half-extent the picture is scaled to on one axis at local time `ticks`: 12 for
    // rows or 40 for columns at full size, 0 once a single pulse is over. A period that is
    // not positive has no pulse at all and gives 0, an unscaled picture.
    int zoom_scale(std::int32_t ticks, int extent) const;

    effect& child;
    // Not cleared between frames: the child redraws what it needs.
    screen_buffer child_buffer{};
    std::int32_t period_ticks;
    bool wrap;
    bool repeat;
    std::uint8_t fill_char;
    float phase;
    float frequency;
};
