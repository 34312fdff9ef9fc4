#pragma once

#include <array>
#include <cstdint>

#include "show/effect.hpp"

// A five-letter word burning. Every render stamps the letters, at double size, as random
// heat into a field one cell larger than the screen on each side; every tenth render
// spreads and cools the field; then the whole screen is painted from it in shades of red
// and yellow. Each render is one step of the animation, whatever the tick value.
class fire_text_effect final : public effect {
  public:
    static constexpr int field_columns = 82;
    static constexpr int field_rows = 27;

    fire_text_effect() = default;

    void render(std::int32_t ticks) override;

    // Column by column: cell (X, Y) at index field_rows * X + Y. Screen cell (x, y) is
    // field cell (x + 1, y + 1); the outermost ring is a border that stays cold.
    std::array<std::uint8_t, field_columns * field_rows> heat_field{};
    std::int32_t step_counter = 0;
};

// The heat a random value 0..32767 gives a seeded cell: 127..254.
std::uint8_t seed_heat(int random_value);
