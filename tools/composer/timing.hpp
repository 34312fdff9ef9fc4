#pragma once

#include <cmath>
#include <cstdint>

#include "show/show_ticks.hpp"

// The music is the show's clock, so the composer counts time in the show's own unit:
// ticks of 1/22050 s. Rendering at two samples a tick (44100 Hz) makes every tick a
// whole number of samples, and a beat of 11000 ticks makes every sixteenth note one too.
inline constexpr std::int64_t samples_per_tick = 2;
inline constexpr int sample_rate = static_cast<int>(samples_per_tick * show_ticks_per_second);
inline constexpr std::int64_t ticks_per_beat = 11000;
inline constexpr std::int64_t beats_per_bar = 4;
inline constexpr std::int64_t ticks_per_bar = ticks_per_beat * beats_per_bar;

constexpr std::int64_t samples_from_ticks(std::int64_t ticks) {
    return ticks * samples_per_tick;
}

constexpr double seconds_from_samples(std::int64_t samples) {
    return static_cast<double>(samples) / sample_rate;
}

inline std::int64_t samples_from_seconds(double seconds) {
    return std::llround(seconds * sample_rate);
}

// Bar positions in the score may be fractional (scenes change on half bars); the tick is
// rounded so that a position the grid cannot express is caught by the caller's check.
inline std::int64_t ticks_from_bars(double bars) {
    return std::llround(bars * static_cast<double>(ticks_per_bar));
}
