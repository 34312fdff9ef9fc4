#pragma once

#include <algorithm>
#include <cstdint>

// One frame of any number of channels as one 16-bit sample: the mean of the channels,
// rounded to nearest with halves away from zero (as lround rounds, which the Linux decoder
// uses), clipped to 16 bits. The decoders that are not libsndfile mix down with it.
inline std::int16_t mono_mean(const long* frame, int channels) {
    long sum = 0;
    for (int c = 0; c < channels; ++c) {
        sum += frame[c];
    }
    const long twice = 2 * sum;
    const long mean =
        twice >= 0 ? (twice + channels) / (2 * channels) : -((-twice + channels) / (2 * channels));
    return static_cast<std::int16_t>(std::clamp(mean, -32768L, 32767L));
}
