#pragma once

#include <cstdio>

#include "base/data_file_names.hpp"
#include "effects/layer_effects.hpp"
#include "show/screen_buffer.hpp"

// Benchmarks that build the show need its two screens, found where the show finds them;
// without them the image rows would time blank pictures without saying so.
inline bool show_screens_present(const char* program) {
    for (const char* name : {screen_a_file_name, screen_b_file_name}) {
        screen_buffer screen{};
        if (const result<> loaded = load_screen_file(name, screen); !loaded) {
            std::fprintf(stderr, "%s: %s\n", program, loaded.error().c_str());
            return false;
        }
    }
    return true;
}
