#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "tools/composer/echo.hpp"
#include "tools/composer/envelope.hpp"
#include "tools/composer/instruments.hpp"
#include "tools/composer/master.hpp"

TEST(echo, repeats_after_the_delay_each_time_quieter) {
    constexpr std::int64_t delay = 1000;
    echo repeats(delay, 0.5F, 2000.0F);
    std::vector<float> out(4 * delay);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = repeats.process(i == 0 ? 1.0F : 0.0F);
    }
    const auto energy_between = [&](std::int64_t from, std::int64_t to) {
        return std::accumulate(out.begin() + from, out.begin() + to, 0.0);
    };
    EXPECT_EQ(energy_between(0, delay), 0.0);
    EXPECT_FLOAT_EQ(out[delay], 1.0F);
    // The damping smears each repeat but keeps its sum: the feedback sets how much is left.
    EXPECT_NEAR(energy_between(2 * delay, 3 * delay), 0.5, 0.01);
    EXPECT_NEAR(energy_between(3 * delay, 4 * delay), 0.25, 0.01);
    EXPECT_LT(out[2 * delay], 0.5F);
}

TEST(envelope, attacks_settles_on_the_sustain_and_releases_to_silence) {
    const adsr_shape shape{0.01F, 0.05F, 0.5F, 0.05F};
    const std::int64_t gate = 22050;
    adsr envelope(shape, gate);
    float highest = 0.0F;
    float level = 0.0F;
    std::int64_t position = 0;
    for (; position < gate; ++position) {
        level = envelope.next();
        highest = std::max(highest, level);
    }
    EXPECT_FLOAT_EQ(highest, 1.0F);
    EXPECT_NEAR(level, 0.5F, 0.01F);
    while (!envelope.finished() && position < 10 * gate) {
        envelope.next();
        ++position;
    }
    EXPECT_TRUE(envelope.finished());
    // The release starts from the sustain level, half way down already.
    EXPECT_NEAR(static_cast<double>(position - gate), samples_to_fall(shape.release, 2.0e-4F), 2.0);
}

TEST(limiter, holds_the_ceiling_and_leaves_quiet_passages_alone) {
    std::vector<float> signal(44100);
    for (std::size_t i = 0; i < signal.size(); ++i) {
        signal[i] = 0.3F * std::sin(static_cast<float>(i) * 0.05F);
    }
    signal[30000] = 3.0F;
    signal[30001] = -2.0F;
    const std::vector<float> original = signal;
    limit(signal, 0.8F, 88, 0.05F);
    EXPECT_LE(peak_of(signal), 0.8F);
    EXPECT_GT(peak_of(signal), 0.7F);
    for (std::size_t i = 0; i < 29000; ++i) {
        ASSERT_EQ(signal[i], original[i]) << i;
    }
    // The gain comes back once the peak has passed.
    EXPECT_NEAR(signal.back(), original.back(), 0.01F);
}

TEST(instruments, every_voice_starts_on_its_note_sounds_centred_and_rings_out) {
    const std::vector<instrument> band{
        instrument::kick,  instrument::snare, instrument::closed_hat,   instrument::open_hat,
        instrument::crash, instrument::riser, instrument::static_noise, instrument::drone,
        instrument::bass,  instrument::pad,   instrument::stab,         instrument::pluck,
        instrument::lead,  instrument::ping};
    constexpr std::int64_t start = 1000;
    for (instrument voice : band) {
        std::vector<float> bus(8 * 44100, 0.0F);
        render_voice(voice, {start, 11025, 57, 1.0F, 7}, bus);
        const auto index = static_cast<int>(voice);
        for (std::int64_t i = 0; i < start; ++i) {
            ASSERT_EQ(bus[static_cast<std::size_t>(i)], 0.0F) << "voice " << index;
        }
        float loudest = 0.0F;
        double sum = 0.0;
        double magnitude = 0.0;
        for (float sample : bus) {
            ASSERT_TRUE(std::isfinite(sample)) << "voice " << index;
            loudest = std::max(loudest, std::abs(sample));
            sum += sample;
            magnitude += std::abs(sample);
        }
        EXPECT_GT(loudest, 0.05F) << "voice " << index;
        // Nothing of a note is left on one side of zero; an offset would add up over the
        // notes into a drift of the whole mix.
        EXPECT_LT(std::abs(sum), 0.02 * magnitude) << "voice " << index;
        EXPECT_LT(loudest, 2.0F) << "voice " << index;
        const std::span<const float> last_second(bus.end() - 44100, bus.end());
        EXPECT_LT(peak_of(last_second), 1.0e-3F) << "voice " << index;
    }
}
