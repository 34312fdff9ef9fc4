#pragma once

#include <cstdint>

#include "show/effect.hpp"

// Three pictures made from the effect's own tick count printed as decimal text. Each
// render formats the count afresh into a 256-byte scratch text and takes characters from
// fixed places of it, most of them beyond the digits.

// Every column shows one character of the text, on a green background that shimmers
// between two foreground colours.
class counter_stripes_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};

// A red cross of characters taken from deep inside the scratch text, drawn over whatever
// the caller left in the buffer.
class counter_cross_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};

// A red field of diamonds with moving bands of one character of the text and a drifting
// trail of another.
class counter_drift_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};

// The content of every scratch-text byte that the count does not reach, for the cross and
// the drift: a medium shade, so that the cross and the short-count drift show a visible
// character that neither overlay key (0 or space) makes transparent.
inline constexpr std::uint8_t tick_text_fill = 0xB1;
static_assert(tick_text_fill != 0 && tick_text_fill != ' ',
              "the fill must stay visible under both keys");
