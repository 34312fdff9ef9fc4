#include "platform/frame_loop.hpp"

int run_frame_loop(bool (*pass)(), int (*finish)()) {
    while (pass()) {
    }
    return finish();
}
