#pragma once

#include <cstdint>

// The show counts time in ticks of 1/22050 s: the clock, every timeline start and every
// effect's period are in ticks, so this one rate turns any of them into seconds.
inline constexpr std::int32_t show_ticks_per_second = 22050;

// The tick at which the show's last scene begins: reaching it ends the show's process.
inline constexpr std::int32_t show_last_tick = 1826000;

// The tick of frame k of a frame loop at `fps` frames a second, truncated as the show's
// clock is: the moments the tools render and the benchmarks measure.
constexpr std::int32_t show_frame_tick(std::int64_t k, int fps) {
    return static_cast<std::int32_t>(k * show_ticks_per_second / fps);
}
