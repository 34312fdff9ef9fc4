#pragma once

#include "show/effect.hpp"

// Blanks its target: every cell character 0 on black.
class clear_effect final : public effect {
public:
    void render(std::int32_t ticks) override;
};

// The show's last scene: ends the process with exit code 23 on its first render.
class end_effect final : public effect {
public:
    void render(std::int32_t ticks) override;
};
