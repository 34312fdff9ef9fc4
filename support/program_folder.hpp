#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "effects/layer_effects.hpp"
#include "show/screen_buffer.hpp"

// Benchmarks that build the show run in their own folder, where the build puts the
// screens, as the show itself does; without the screens the image rows would time blank
// pictures without saying so.
inline bool enter_program_folder(const char* argv0, const char* program) {
    std::error_code failed;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed) {
        exe = std::filesystem::absolute(argv0);
    }
    std::filesystem::current_path(exe.parent_path(), failed);
    if (failed) {
        std::fprintf(stderr, "%s: cannot enter %s: %s\n", program, exe.parent_path().c_str(),
                     failed.message().c_str());
        return false;
    }
    for (const char* name : {"screen-a.jpg", "screen-b.jpg"}) {
        screen_buffer screen{};
        const std::string problem = load_screen_file(name, screen);
        if (!problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
            return false;
        }
    }
    return true;
}
