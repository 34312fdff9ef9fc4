// What the page asks of the program besides running the show: the pictures it draws,
// and frames rendered on demand for whoever embeds or tests the page.

#include <emscripten.h>
#include <emscripten/stack.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "composition/show_composition.hpp"
#include "picture/frame_picture.hpp"
#include "platform/process.hpp"
#include "runner/show_run.hpp"
#include "show/screen_buffer.hpp"
#include "show/show_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "sound/music.hpp"

namespace {

frame_picture picture;

// The frame loop the page's moments are counted in: a moment's picture is the frame this
// loop draws there when it runs from the show's start.
constexpr int player_frames_per_second = 60;

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

// The tick of the show's last scene, once the show is composed: the length of the show.
EMSCRIPTEN_KEEPALIVE std::int32_t web_page_end_tick() {
    return show_timeline[timeline_rows - 1].start_ticks;
}

// Renders frames `next` to `last` of the 60 fps frame loop, composing the show first when
// `next` is 0. Effects carry state from frame to frame (their clocks, the random numbers
// they draw), and the timeline moves on by at most one scene a frame, so the picture at a
// moment is the one this loop draws there, every frame before it rendered in turn.
EMSCRIPTEN_KEEPALIVE void web_page_advance(std::int32_t next, std::int32_t last) {
    if (next == 0) {
        show_compose();
    }
    for (std::int32_t k = next; k <= last; ++k) {
        timeline_render(show_buffer, show_frame_tick(k, player_frames_per_second));
    }
}

// Plays the show from frame `frame` of the 60 fps frame loop, in a copy of the program that
// has rendered the frames before `next` (none when it is 0): the console presents that
// frame as the first picture, and the music starts at its moment, no earlier, so that the
// clock never reads a tick before it.
EMSCRIPTEN_KEEPALIVE void web_page_play(std::int32_t next, std::int32_t frame) {
    web_page_advance(next, frame);
    const std::int64_t tick = show_frame_tick(frame, player_frames_per_second);
    music_start_ms = static_cast<std::int32_t>((tick * 1000 + show_ticks_per_second - 1) /
                                               show_ticks_per_second);
    exit_process(show_entry());
}

// Where a copy of the program keeps what it has done, for the page to carry it into another
// copy of the same program: everything below the stack and the heap above it. The stack
// itself holds nothing between the page's calls.
EMSCRIPTEN_KEEPALIVE std::uintptr_t web_page_stack_low() {
    return emscripten_stack_get_end();
}

EMSCRIPTEN_KEEPALIVE std::uintptr_t web_page_stack_high() {
    return emscripten_stack_get_base();
}

EMSCRIPTEN_KEEPALIVE std::uintptr_t web_page_heap_end() {
    return reinterpret_cast<std::uintptr_t>(sbrk(0));
}

// Where the music of the show started by web_page_play begins, in milliseconds.
EMSCRIPTEN_KEEPALIVE std::int32_t web_page_music_start_ms() {
    return music_start_ms;
}

// Ends the show for good, as an orderly shutdown does, when the page leaves it for another
// moment: no frame is drawn and no music handed over after this.
EMSCRIPTEN_KEEPALIVE void web_page_stop() {
    emscripten_cancel_main_loop();
    show_shutdown();
}

// Holds the frame loop where it is, or lets it go on: the picture stands while paused.
EMSCRIPTEN_KEEPALIVE void web_page_pause(int paused) {
    if (paused != 0) {
        emscripten_pause_main_loop();
    } else {
        emscripten_resume_main_loop();
    }
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
