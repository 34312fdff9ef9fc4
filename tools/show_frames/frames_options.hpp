#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What one run of show-frames renders and where it puts the frames.
struct frames_options {
    // Empty for the whole show through the timeline, otherwise one shared effect's name.
    std::string effect_name;
    std::vector<std::int32_t> ticks;
    std::string out_dir;
    bool text = false;
};

// Reads the command line, including a ticks file if one is named. On a fault it returns
// nothing and leaves one line in `error` saying what is wrong.
std::optional<frames_options> frames_parse_options(const std::vector<std::string>& args,
                                                   std::string& error);

// The effects that can be rendered on their own, in the order the show builds them.
const std::vector<std::string>& frames_effect_names();
