#include "sound/silent_output.hpp"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "sound/sound_stream.hpp"
#include "sound_test_support.hpp"

namespace {

constexpr int rate = 22050;
std::int64_t ns_of(std::int64_t frames) {
    return frames * 1'000'000'000 / rate;
}

// A stream whose sample i is i, so a block's first sample is its place in the stream.
std::vector<std::int16_t> ramp(int length) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
    }
    return samples;
}

struct block_log {
    std::vector<int> starts;
    std::atomic<int> total = 0;
    static void* note(void*, void* block, int length, void* self) {
        auto* log = static_cast<block_log*>(self);
        log->starts.push_back(static_cast<std::int16_t*>(block)[0]);
        log->total += length;
        return block;
    }
};

std::int16_t& first(void* block) {
    return *static_cast<std::int16_t*>(block);
}

}  // namespace

TEST(silent_output, runs_the_dsp_chain_on_every_block_in_order) {
    fsound_stream stream(ramp(10'000), rate);
    block_log log;
    stream.add_dsp(&block_log::note, 0, &log)->active = true;
    fake_time clock;
    silent_output output(stream, rate, clock, silent_output::pacing::by_caller);
    output.start();
    while (!stream.finished()) {
        clock.advance_ms(10);
        output.pump(clock.now);
    }
    ASSERT_EQ(log.total, 10'000);
    for (std::size_t i = 0; i < log.starts.size(); ++i) {
        EXPECT_EQ(log.starts[i], static_cast<int>(i) * output.block_frames());
    }
}

TEST(silent_output, keeps_one_block_ahead_of_wall_time_and_starts_afresh_after_a_stall) {
    fsound_stream stream(ramp(rate), rate);
    fake_time clock;
    silent_output output(stream, rate, clock, silent_output::pacing::by_caller);
    const int block = output.block_frames();
    output.start();
    EXPECT_EQ(stream.position_ns(clock.now + ns_of(9 * block)), ns_of(2 * block));
    clock.now += ns_of(block);
    output.pump(clock.now);
    EXPECT_EQ(stream.position_ns(clock.now + ns_of(9 * block)), ns_of(3 * block));
    // Five seconds away: two more blocks, not five hundred.
    clock.advance_ms(5000);
    output.pump(clock.now);
    EXPECT_EQ(stream.position_ns(clock.now + ns_of(9 * block)), ns_of(5 * block));
}

TEST(silent_output, plays_a_stream_to_its_end_on_its_own_thread) {
    fsound_stream stream(ramp(2205), rate);
    block_log log;
    stream.add_dsp(&block_log::note, 0, &log)->active = true;
    monotonic_time_source clock;
    silent_output output(stream, rate, clock, silent_output::pacing::own_thread);
    output.start();
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!stream.finished() && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    output.stop();
    EXPECT_EQ(log.total, 2205);
}

TEST(dsp_chain, runs_active_units_by_priority_each_on_what_the_one_before_left) {
    fsound_stream stream(std::vector<std::int16_t>(2, 10), rate);
    auto add_one = [](void*, void* block, int, void*) -> void* { return ++first(block), block; };
    auto twice = [](void*, void* block, int, void*) -> void* { return first(block) *= 2, block; };
    auto original = [](void* dry, void*, int, void*) -> void* { return dry; };
    stream.add_dsp(add_one, 5, nullptr)->active = true;
    stream.add_dsp(twice, 1, nullptr)->active = true;
    stream.add_dsp(original, 0, nullptr);  // never switched on
    std::int16_t block = 0;
    stream.fill(&block, 1);
    EXPECT_EQ(block, 21);
    stream.add_dsp(original, 9, nullptr)->active = true;
    stream.fill(&block, 1);
    EXPECT_EQ(block, 10);
}
