#pragma once

#include <cstdint>

#include "base/result.hpp"
#include "show/effect.hpp"

// Shows a stored screen, read once from a file of 4000 raw screen bytes when the effect
// is built. A file that is missing, unreadable or of the wrong size still gives a screen
// (what could be read, the rest blank) and one line for the user when the program ends.
class image_effect final : public effect {
  public:
    explicit image_effect(const char* file_name);

    void render(std::int32_t ticks) override;

    screen_buffer screen{};
};

// Reads up to one screen from `file_name` into `screen`, leaving the unread rest as it
// was. Succeeds for a file of exactly 4000 bytes; otherwise fails with one line naming
// the file and what was wrong with it, and `screen` keeps what could be read.
result<> load_screen_file(const char* file_name, screen_buffer& screen);

// Blanks its target: every cell character 0 on black.
class clear_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};

// Draws `base_child` straight into the target, then lays `overlay_child`'s picture over
// it: every overlay cell whose character is not `key_char` covers the base, whatever its
// attribute, and every cell holding `key_char` lets the base show through.
class overlay_effect final : public effect {
  public:
    overlay_effect(effect& base, effect& overlay, std::uint8_t key);

    void render(std::int32_t ticks) override;

    effect& base_child;
    effect& overlay_child;
    std::uint8_t key_char;
    // Kept from frame to frame: a cell the overlay child skips shows what it held before.
    screen_buffer overlay_buffer{};
};

// Shows one of two children, chosen anew on every frame by the show's random sequence:
// `first_child` when the drawn value is strictly greater than `threshold`.
class random_switch_effect final : public effect {
  public:
    random_switch_effect(effect& first, effect& second, double threshold_value);

    void render(std::int32_t ticks) override;

    effect& first_child;
    effect& second_child;
    double threshold;
};

// The show's last scene: ends the process with exit code 23 on its first render.
class end_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};
