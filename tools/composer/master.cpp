#include "tools/composer/master.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <vector>

#include "tools/composer/envelope.hpp"

float gain_from_db(float db) {
    return std::pow(10.0F, db / 20.0F);
}

float peak_of(std::span<const float> samples) {
    float peak = 0.0F;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

void limit(std::span<float> samples, float ceiling, std::int64_t lookahead, float release_seconds) {
    const std::size_t n = samples.size();
    const auto window = static_cast<std::size_t>(std::max<std::int64_t>(lookahead, 1));
    std::vector<float> needed(n);
    for (std::size_t i = 0; i < n; ++i) {
        const float level = std::abs(samples[i]);
        needed[i] = level > ceiling ? ceiling / level : 1.0F;
    }
    // Smallest gain needed anywhere in the next `window` samples (a monotonic queue keeps
    // this linear in time).
    std::vector<float> upcoming(n);
    std::deque<std::size_t> candidates;
    for (std::size_t i = n; i-- > 0;) {
        while (!candidates.empty() && needed[candidates.back()] >= needed[i]) {
            candidates.pop_back();
        }
        candidates.push_back(i);
        while (candidates.front() > i + window) {
            candidates.pop_front();
        }
        upcoming[i] = needed[candidates.front()];
    }
    // Averaging that minimum over the window turns the step into a ramp that still reaches
    // the needed gain by the time the peak plays; the release only ever lets the gain rise.
    const float release = 1.0F - decay_factor(release_seconds);
    double running_sum = 0.0;
    float gain = 1.0F;
    for (std::size_t i = 0; i < n; ++i) {
        running_sum += upcoming[i];
        if (i >= window) {
            running_sum -= upcoming[i - window];
        }
        const auto smoothed =
            static_cast<float>(running_sum / static_cast<double>(std::min(i + 1, window)));
        gain = smoothed < gain ? smoothed : gain + (smoothed - gain) * release;
        gain = std::min(gain, smoothed);
        samples[i] = std::clamp(samples[i] * gain, -ceiling, ceiling);
    }
}

void fade_out(std::span<float> samples, std::int64_t fade_start, std::int64_t fade_end) {
    const auto n = static_cast<std::int64_t>(samples.size());
    const double length = static_cast<double>(std::max<std::int64_t>(fade_end - fade_start, 1));
    for (std::int64_t i = std::max<std::int64_t>(fade_start, 0); i < n; ++i) {
        const double progress = static_cast<double>(i - fade_start) / length;
        const double gain =
            progress >= 1.0 ? 0.0 : 0.5 + 0.5 * std::cos(std::numbers::pi * progress);
        samples[static_cast<std::size_t>(i)] *= static_cast<float>(gain);
    }
}
