#include "platform/frame_loop.hpp"

#include <emscripten.h>

#include "platform/process.hpp"

namespace {

bool (*frame_pass)() = nullptr;
int (*frame_finish)() = nullptr;

void one_animation_frame() {
    if (!frame_pass()) {
        emscripten_cancel_main_loop();
        exit_process(frame_finish());
    }
}

}  // namespace

int run_frame_loop(bool (*pass)(), int (*finish)()) {
    frame_pass = pass;
    frame_finish = finish;
    // A rate of 0 asks for requestAnimationFrame; simulating an endless loop unwinds
    // this call's stack so that the page's event loop runs between the passes.
    emscripten_set_main_loop(one_animation_frame, 0, true);
    return 0;
}
