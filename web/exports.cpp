// What the page asks of the program besides running the show: the pictures it draws,
// and frames rendered on demand for whoever embeds or tests the page.

#include <emscripten.h>

#include <cstdint>
#include <cstring>

#include "composition/show_composition.hpp"
#include "picture/frame_picture.hpp"
#include "show/screen_buffer.hpp"
#include "show/show_buffer.hpp"
#include "show/timeline.hpp"
#include "sound/music.hpp"

namespace {

frame_picture picture;

}  // namespace

extern "C" {

// The show's grid, for the page's own screens and the frames it asks for.
EMSCRIPTEN_KEEPALIVE int web_page_cols() {
    return screen_cols;
}

EMSCRIPTEN_KEEPALIVE int web_page_rows() {
    return screen_rows;
}

// The sixteen colours as red, green, blue bytes, for the page's colour table.
EMSCRIPTEN_KEEPALIVE const rgb_colour* web_page_palette() {
    return text_mode_palette.data();
}

// The frame of 4000 screen bytes at `cells` as 640 x 400 palette indices: the pixels of
// show-frames --png at scale 1, which the page enlarges by whole factors.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* web_page_picture(const std::uint8_t* cells) {
    screen_buffer frame;
    std::memcpy(frame.data(), cells, frame.size());
    draw_frame_picture(frame, 1, picture);
    return picture.colours.data();
}

// The show clock now, for the page's state.
EMSCRIPTEN_KEEPALIVE std::int32_t web_page_tick() {
    return show_clock();
}

// Renders the timeline at each of `count` ticks in turn, as show-frames does for the same
// ticks, into `frames` (4000 bytes each); `done` counts the frames finished so far. The
// last scene ends the program as it ends the show: the frames before it stand.
EMSCRIPTEN_KEEPALIVE void web_page_render(const std::int32_t* ticks, int count,
                                          std::uint8_t* frames, int* done) {
    show_compose();
    for (int i = 0; i < count; ++i) {
        timeline_render(show_buffer, ticks[i]);
        std::memcpy(frames + static_cast<std::size_t>(i) * show_buffer.size(), show_buffer.data(),
                    show_buffer.size());
        *done = i + 1;
    }
}
}
