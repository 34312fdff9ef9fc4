#pragma once

#include <cstdint>

#include "show/effect.hpp"

// Twists its child's picture about the screen centre (column 40, row 12): each cell is
// turned by an angle that grows with its distance from the centre, the strength swinging
// with a cosine of time. The picture also comes out mirrored top to bottom, and every
// source position wraps around the screen's ring of cells.
class twirl_effect final : public effect {
  public:
    twirl_effect(effect& child_effect, float speed_value, float twist_value);

    void render(std::int32_t ticks) override;

    // Cleared before every child render, so cells the child skips show blank.
    screen_buffer child_buffer{};
    effect& child;
    float speed;
    float twist;
};
