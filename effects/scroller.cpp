#include "effects/scroller.hpp"

#include "show/font8x8.hpp"

namespace {

constexpr std::int32_t ticks_per_column = 650;
constexpr std::int64_t start_column = 90;
constexpr int glyph_size = 8;

// Rows below the screen continue at its top, as the offset runs on through the ring of
// cells; rows above it (a negative top row) count back from the end. Worked in 64 bits so
// that no top row overflows.
std::size_t wrapped_offset(std::int64_t x, std::int64_t row) {
    const std::int64_t offset = (2 * (screen_cols * row + x)) % screen_bytes;
    return static_cast<std::size_t>(offset < 0 ? offset + screen_bytes : offset);
}

}  // namespace

scroller_effect::scroller_effect(const char* text_, std::int32_t text_length_,
                                 std::uint8_t fg_colour_, std::uint8_t bg_colour_,
                                 std::uint8_t block_char_, std::int32_t top_row_)
    : text(text_),
      text_length(text_length_),
      fg_colour(fg_colour_),
      bg_colour(bg_colour_),
      block_char(block_char_),
      top_row(top_row_) {}

void scroller_effect::render(std::int32_t ticks) {
    screen_buffer& screen = *target;
    screen.fill(0);
    const auto attribute =
        static_cast<std::uint8_t>((fg_colour & 0x0F) | ((bg_colour & 0x0F) << 4));

    // Columns are worked in 64 bits: 8 * i alone leaves the int range for texts longer
    // than 2^28 bytes.
    const std::int64_t x0 = start_column - ticks / ticks_per_column;
    if (text_length <= 0 || x0 >= screen_cols) {
        return;
    }
    // Only glyphs that can reach a screen column are read, so long texts far off screen
    // cost nothing.
    const std::int64_t first = x0 >= 0 ? 0 : (-x0) / glyph_size;
    for (std::int64_t i = first; i < text_length; ++i) {
        const std::int64_t left = x0 + glyph_size * i;
        if (left >= screen_cols) {
            break;
        }
        const glyph& g = font8x8[static_cast<unsigned char>(text[i])];
        for (int j = 0; j < glyph_size; ++j) {
            const std::int64_t x = left + j;
            if (x < 0 || x >= screen_cols) {
                continue;
            }
            for (int k = 0; k < glyph_size; ++k) {
                if (!glyph_pixel(g, j, k)) {
                    continue;
                }
                const std::size_t offset = wrapped_offset(x, std::int64_t{top_row} + k);
                screen[offset] = block_char;
                screen[offset + 1] = attribute;
            }
        }
    }
}
