#pragma once

#include <string>
#include <vector>

#include "base/result.hpp"

enum class video_format { mp4, webm, lossless };

// What one run of show-export makes.
struct export_options {
    bool help = false;
    // An asciicast recording instead of a video.
    bool cast = false;
    int fps = 60;
    int scale = 2;
    video_format format = video_format::mp4;
    // Empty for the show's own soundtrack.
    std::string music;
    std::string output;
};

inline constexpr int export_max_fps = 240;

// Reads the command line. A fault fails with one line saying what was expected. With
// --help anywhere only `help` is set.
result<export_options> export_parse_options(const std::vector<std::string>& args);
