#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"

// What one run of show-frames renders and where it puts the frames.
struct frames_options {
    // Empty for the whole show through the timeline, otherwise one shared effect's name.
    std::string effect_name;
    std::vector<std::int32_t> ticks;
    std::string out_dir;
    bool text = false;
    // A PNG picture beside each frame file, enlarged by a whole factor.
    bool png = false;
    int scale = 1;
    bool help = false;
};

// Reads the command line, including a ticks file if one is named. A fault fails with one
// line saying what is wrong. With --help anywhere, the rest is not looked at and only
// `help` is set.
result<frames_options> frames_parse_options(const std::vector<std::string>& args);

// Reads a picture scale: a whole number from 1 to picture_max_scale, nothing around it.
bool parse_scale(std::string_view text, int& scale);
