#pragma once

#include <cstdint>

#include "show/effect.hpp"

// A line of text in letters eight cells square, one cell per pixel of the 8x8 font,
// moving right to left at one column per 650 ticks. It enters from ten columns beyond
// the right edge at the effect's first render.
class scroller_effect final : public effect {
  public:
    // text is not owned and must outlive the effect; only its first text_length bytes
    // are drawn. Lit pixels show block_char in the low four bits of fg_colour on the
    // low four bits of bg_colour; glyph row 0 lies on screen row top_row.
    scroller_effect(const char* text, std::int32_t text_length, std::uint8_t fg_colour,
                    std::uint8_t bg_colour, std::uint8_t block_char, std::int32_t top_row);

    void render(std::int32_t ticks) override;

    const char* text;
    std::int32_t text_length;
    std::uint8_t fg_colour;
    std::uint8_t bg_colour;
    std::uint8_t block_char;
    std::int32_t top_row;
};
