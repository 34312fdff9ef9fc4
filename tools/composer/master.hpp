#pragma once

#include <cstdint>
#include <span>

float gain_from_db(float db);
float peak_of(std::span<const float> samples);

// Brick-wall limiter with look-ahead: the gain starts to fall before a peak arrives, so
// nothing is clipped and nothing clicks, then recovers over release_seconds.
void limit(std::span<float> samples, float ceiling, std::int64_t lookahead, float release_seconds);

// Fades to silence over [fade_start, fade_end) with a raised cosine and silences
// everything after.
void fade_out(std::span<float> samples, std::int64_t fade_start, std::int64_t fade_end);
