#include "picture/frame_picture.hpp"

#include <algorithm>
#include <cstring>

#include "show/font8x8.hpp"

const std::array<rgb_colour, 16> text_mode_palette{{
    {0x00, 0x00, 0x00},
    {0x00, 0x00, 0xAA},
    {0x00, 0xAA, 0x00},
    {0x00, 0xAA, 0xAA},
    {0xAA, 0x00, 0x00},
    {0xAA, 0x00, 0xAA},
    {0xAA, 0x55, 0x00},
    {0xAA, 0xAA, 0xAA},
    {0x55, 0x55, 0x55},
    {0x55, 0x55, 0xFF},
    {0x55, 0xFF, 0x55},
    {0x55, 0xFF, 0xFF},
    {0xFF, 0x55, 0x55},
    {0xFF, 0x55, 0xFF},
    {0xFF, 0xFF, 0x55},
    {0xFF, 0xFF, 0xFF},
}};

void draw_frame_picture(const screen_buffer& frame, int scale, frame_picture& picture) {
    scale = std::clamp(scale, 1, picture_max_scale);
    picture.width = picture_base_width * scale;
    picture.height = picture_base_height * scale;
    const auto row_bytes = static_cast<std::size_t>(picture.width);
    picture.colours.resize(row_bytes * static_cast<std::size_t>(picture.height));

    // Each glyph row is drawn once into the first pixel row of its band, then that row is
    // copied down: a glyph row covers 2 x scale pixel rows.
    const int band = 2 * scale;
    for (int cy = 0; cy < screen_rows; ++cy) {
        for (int gy = 0; gy < 8; ++gy) {
            const int first_row = (cy * 8 + gy) * band;
            std::uint8_t* const first =
                picture.colours.data() + row_bytes * static_cast<std::size_t>(first_row);
            std::uint8_t* out = first;
            for (int cx = 0; cx < screen_cols; ++cx) {
                const auto offset = static_cast<std::size_t>(screen_offset(cx, cy));
                const glyph& g = font8x8[frame[offset]];
                const std::uint8_t attribute = frame[offset + 1];
                const auto fg = static_cast<std::uint8_t>(attribute & 0x0F);
                const auto bg = static_cast<std::uint8_t>(attribute >> 4);
                for (int gx = 0; gx < 8; ++gx) {
                    out = std::fill_n(out, scale, glyph_pixel(g, gx, gy) ? fg : bg);
                }
            }
            for (int copy = 1; copy < band; ++copy) {
                std::memcpy(first + row_bytes * static_cast<std::size_t>(copy), first, row_bytes);
            }
        }
    }
}
