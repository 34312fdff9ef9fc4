#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A whole sound file as signed 16-bit mono samples at the file's own rate.
struct decoded_sound {
    std::vector<std::int16_t> samples;
    int frames_per_second = 0;
};

// Reads any format libsndfile knows, judged by the file's content whatever its name says,
// and mixes all channels down to one. Without a result, `reason` says in a few words why
// the file could not be used.
std::optional<decoded_sound> decode_mono16(const char* path, std::string& reason);
