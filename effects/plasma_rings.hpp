#pragma once

#include <cstdint>

#include "show/effect.hpp"

// Two sets of concentric rings around centres that wander over the screen; each cell
// shows the parity of its ring number about either centre. A pure function of the tick
// value: every render rewrites all 2000 cells.
class plasma_rings_effect final : public effect {
  public:
    // ring_width is the width of one ring in distance units; it must be at least 1.
    explicit plasma_rings_effect(std::int32_t ring_width);

    void render(std::int32_t ticks) override;

    std::int32_t ring_width;
};
