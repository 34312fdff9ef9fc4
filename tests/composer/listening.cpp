#include "listening.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/composer/renderer.hpp"
#include "tools/composer/score.hpp"

const std::vector<float>& show_soundtrack() {
    static const std::vector<float> samples = render_score(show_score()).samples;
    return samples;
}

std::int64_t sample_of_tick(std::int64_t tick) {
    return tick * 2;
}

double decibels(double amplitude) {
    return 20.0 * std::log10(std::max(amplitude, 1.0e-12));
}

double rms_of(std::span<const float> samples) {
    double sum = 0.0;
    for (float sample : samples) {
        sum += static_cast<double>(sample) * sample;
    }
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

float peak_in(std::span<const float> samples) {
    float peak = 0.0F;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

std::vector<float> low_band(std::span<const float> samples, float cutoff_hz) {
    const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * cutoff_hz / 44100.0);
    std::vector<float> band(samples.begin(), samples.end());
    {
        double state = 0.0;
        for (float& sample : band) {
            state += a * (sample - state);
            sample = static_cast<float>(state);
        }
        state = 0.0;
        for (auto it = band.rbegin(); it != band.rend(); ++it) {
            state += a * (*it - state);
            *it = static_cast<float>(state);
        }
    }
    return band;
}

std::vector<std::int64_t> energy_rises(std::span<const float> band, float rise, float floor) {
    constexpr std::size_t hop = 44;  // one millisecond
    std::vector<float> level(band.size() / hop, 0.0F);
    for (std::size_t f = 0; f < level.size(); ++f) {
        level[f] = peak_in(band.subspan(f * hop, hop));
    }
    std::vector<std::int64_t> rises;
    constexpr std::size_t dead_time = 60;
    std::size_t last = 0;
    for (std::size_t f = 15; f < level.size(); ++f) {
        const float before = *std::max_element(level.begin() + static_cast<std::ptrdiff_t>(f - 15),
                                               level.begin() + static_cast<std::ptrdiff_t>(f - 4));
        const bool rising = level[f] >= floor && level[f] > rise * before;
        if (rising && (rises.empty() || f - last > dead_time)) {
            rises.push_back(static_cast<std::int64_t>(f * hop));
            last = f;
        }
    }
    return rises;
}

std::int64_t first_reaching(std::span<const float> samples, std::int64_t from, std::int64_t to,
                            float share) {
    const auto window =
        samples.subspan(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    const float threshold = share * peak_in(window);
    for (std::size_t i = 0; i < window.size(); ++i) {
        if (std::abs(window[i]) >= threshold) {
            return from + static_cast<std::int64_t>(i);
        }
    }
    return to;
}
