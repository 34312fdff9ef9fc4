#pragma once

#include <cstdio>

#include "effects/layer_effects.hpp"
#include "show/screen_buffer.hpp"

// Benchmarks that build the show need its two screens, found where the show finds them;
// without them the image rows would time blank pictures without saying so.
inline bool show_screens_present(const char* program) {
    for (const char* name : {"screen-a.jpg", "screen-b.jpg"}) {
        screen_buffer screen{};
        if (const result<> loaded = load_screen_file(name, screen); !loaded) {
            std::fprintf(stderr, "%s: %s\n", program, loaded.error().c_str());
            return false;
        }
    }
    return true;
}
