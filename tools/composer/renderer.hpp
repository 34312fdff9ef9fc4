#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/composer/score.hpp"

struct rendering {
    std::vector<float> samples;  // mono, sample_rate, within [-1, 1]
    std::vector<std::string> problems;
};

// Plays the whole score: every track through its instrument, the kick's ducking, the
// echo, then the master limiter and the closing fade.
rendering render_score(const score& music);

std::vector<std::int16_t> to_pcm16(std::span<const float> samples);
