#pragma once

#include <cstdint>

#include "base/data_file_names.hpp"
#include "show/show_ticks.hpp"

// The soundtrack is the show's clock: music_start plays it, show_clock turns its play
// position into show ticks (1/22050 s), music_close ends it on an orderly shutdown.
extern bool post_filter_enabled;

// Where music_start begins the soundtrack, in milliseconds from its start: 0 for the show,
// later for a player that opens at a chosen moment. The clock counts from the start.
extern std::int32_t music_start_ms;

void music_start();
std::int32_t show_clock();
void music_close();

// ms x show_ticks_per_second / 1000 in 64-bit arithmetic, truncated toward zero, low 32 bits kept.
constexpr std::int32_t show_ticks_from_ms(std::int32_t ms) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(ms) * show_ticks_per_second / 1000);
}
