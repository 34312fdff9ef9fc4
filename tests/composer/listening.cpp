#include "listening.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "tools/composer/renderer.hpp"
#include "tools/composer/score.hpp"

const std::vector<float>& show_soundtrack() {
    static const std::vector<float> samples = [] {
        rendering music = render_score(show_score());
        EXPECT_TRUE(music.problems.empty()) << music.problems.front();
        return std::move(music.samples);
    }();
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
