#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/show_export/export_options.hpp"

// What the encoders are told beyond the picture's size and rate and the sound's layout.
struct encoder_settings {
    // The video encoder's own options, by FFmpeg's names ("crf", "x264-params", ...).
    std::vector<std::pair<std::string, std::string>> video_options;
    // Frames from one key frame to the next at most; 0 leaves it to the encoder.
    int key_interval = 0;
    // Bits a second where an encoder keeps to a rate rather than a quality; 0 for none.
    std::int64_t video_bit_rate = 0;
    // A ceiling on the bits a second, for an encoder that otherwise keeps to a quality;
    // 0 for none. It is held over any `buffer_seconds`, so a busy moment may borrow from
    // the quiet seconds around it, and a file of any length stays within
    // video_max_rate x (its length + buffer_seconds).
    std::int64_t video_max_rate = 0;
    static constexpr int buffer_seconds = 2;
    std::int64_t audio_bit_rate = 0;
};

// The settings show-export uses for a format and size.
encoder_settings encoder_settings_for(video_format format, video_size size);
