#pragma once

#include <cstdint>
#include <vector>

#include "base/result.hpp"

// A whole sound file as signed 16-bit mono samples at the file's own rate.
struct decoded_sound {
    std::vector<std::int16_t> samples;
    int frames_per_second = 0;
};

// Reads a sound_file whole, for tools that work on a file at once; the show streams its
// music instead. Fails, saying in a few words why, when the file cannot be used.
result<decoded_sound> decode_mono16(const char* path);
