#pragma once

#include <span>
#include <string>

#include "base/result.hpp"

// About 90 kbit/s for this mono piece: plenty for synthesized music.
inline constexpr double soundtrack_quality = 0.5;

// Writes mono float samples as Ogg Vorbis. quality runs from 0 (smallest) to 1 (best).
// A failure says what went wrong.
result<> write_ogg_vorbis(const std::string& path, std::span<const float> samples, int rate,
                          double quality);
