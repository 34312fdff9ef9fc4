#pragma once

#include <string>
#include <vector>

#include "base/result.hpp"

enum class video_format { mp4, webm, lossless };

// How hard the lossy encoders squeeze: `small` fits the common 10 MB upload limit.
enum class video_size { normal, small };

// What one run of show-export makes.
struct export_options {
    bool help = false;
    // An asciicast recording instead of a video.
    bool cast = false;
    int fps = 60;
    int scale = 2;
    video_format format = video_format::mp4;
    video_size size = video_size::normal;
    // A stretch of the show, in seconds from its start; 0 for the whole rest of it.
    double start_seconds = 0;
    double duration_seconds = 0;
    // Empty for the show's own soundtrack.
    std::string music;
    std::string output;
};

inline constexpr int export_max_fps = 240;

// Reads the command line. A fault fails with one line saying what was expected. With
// --help anywhere only `help` is set.
result<export_options> export_parse_options(const std::vector<std::string>& args);
