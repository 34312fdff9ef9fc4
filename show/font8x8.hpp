#pragma once

#include <array>
#include <cstdint>

// The code page 437 repertoire as 8 x 8 bitmaps in the IBM PC ROM style: glyph k is
// font8x8[k], byte r its pixel row r from the top, bit 7 the leftmost pixel.
using glyph = std::array<std::uint8_t, 8>;
extern const std::array<glyph, 256> font8x8;

// True when the pixel at glyph column gx (0 left) and row gy (0 top) of code is set.
constexpr bool glyph_pixel(const glyph& g, int gx, int gy) {
    return ((g[gy] >> (7 - gx)) & 1) != 0;
}
