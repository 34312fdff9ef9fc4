#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "tools/composer/note_event.hpp"

// The part of the bus a note may write: from its start for at most `length` samples,
// cut at the end of the bus.
inline std::span<float> voice_window(std::span<float> bus, const note_event& note,
                                     std::int64_t length) {
    const auto size = static_cast<std::int64_t>(bus.size());
    const std::int64_t start = std::clamp<std::int64_t>(note.start, 0, size);
    const std::int64_t end = std::clamp<std::int64_t>(note.start + length, start, size);
    return bus.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

// A voice stops once its envelope has fallen 60 dB: by then the rest of the mix covers it,
// and rendering the remaining tail would double the work for pads and open hi-hats.
inline constexpr float voice_floor = 1.0e-3F;

// Cutoffs are recomputed every few samples only: the sweeps are slow next to that, and
// the tangent per sample would dominate the render time.
inline constexpr int filter_update_interval = 16;
