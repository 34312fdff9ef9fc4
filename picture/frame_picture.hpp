#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "show/screen_buffer.hpp"

// A frame as pixels: every cell drawn with the show's 8 x 8 font, every glyph row shown
// twice (a 640 x 400 picture, the shape a text mode of the time gave 80 x 25 cells),
// then enlarged by a whole factor with nearest-neighbour sampling so the cells stay sharp.
inline constexpr int picture_cell_width = 8;
inline constexpr int picture_cell_height = 16;
inline constexpr int picture_base_width = screen_cols * picture_cell_width;
inline constexpr int picture_base_height = screen_rows * picture_cell_height;

// The largest scale the tools accept: 8 already makes a 5120 x 3200 picture.
inline constexpr int picture_max_scale = 8;

struct rgb_colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const rgb_colour&) const = default;
};

// The sixteen colours of the classic text-mode palette, indexed by an attribute nibble
// (blue, green, red, intensity from bit 0 up). Colour 6 is brown rather than dark
// yellow, as the displays of the time showed it.
extern const std::array<rgb_colour, 16> text_mode_palette;

// A frame's pixels as palette indices (0-15), rows top to bottom, no padding: the form
// both PNG files and video frames are made from, since a frame has no other colours.
struct frame_picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> colours;

    std::uint8_t at(int x, int y) const {
        return colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
};

// Draws `frame` at `scale` (1 to picture_max_scale) into `picture`, reusing its storage.
// The high attribute bit is a bright background, never blinking.
void draw_frame_picture(const screen_buffer& frame, int scale, frame_picture& picture);
