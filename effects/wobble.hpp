#pragma once

#include <cstdint>

#include "show/effect.hpp"

// Ripples its child's picture: every cell is taken from a source cell a few columns and
// rows away, the offsets following sums of waves over the cell's position and time. Only
// the whole part of each amplitude counts. Without `wrap` a source off the screen leaves
// the cell blank; with it the source wraps around the screen's ring of cells.
class wobble_effect final : public effect {
  public:
    wobble_effect(float amplitude_x_value, float amplitude_y_value, bool wrap_value,
                  effect& child_effect);

    void render(std::int32_t ticks) override;

    float amplitude_x;
    float amplitude_y;
    bool wrap;
    effect& child;
    // Not cleared between frames: the child redraws what it needs.
    screen_buffer child_buffer{};
};
