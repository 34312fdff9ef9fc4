#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "sound/play_clock.hpp"
#include "sound/sound_stream.hpp"
#include "sound_test_support.hpp"

namespace {

constexpr int rate = 44100;
constexpr int buffer_frames = 1024;
constexpr std::int64_t buffer_ns = std::int64_t{buffer_frames} * 1'000'000'000 / rate;
std::int64_t ns_of(std::int64_t frames) {
    return frames * 1'000'000'000 / rate;
}

// A stream on a device that takes a buffer whenever it has played one and is heard one
// buffer after it took it: the n-th callback comes at start + n buffers.
struct device_run {
    explicit device_run(std::int64_t frames) : stream(std::vector<std::int16_t>(frames), rate) {
        auto owned = std::make_unique<manual_device>(stream, rate, clock, buffer_ns);
        device = owned.get();
        stream.play(std::move(owned));
    }
    void callback(int n) {
        clock.now = start + n * buffer_ns;
        device->request(buffer_frames);
    }
    std::int64_t position() { return stream.position_ns(clock.now); }

    fake_time clock;
    const std::int64_t start = clock.now;
    fsound_stream stream;
    manual_device* device = nullptr;
};

}  // namespace

TEST(play_clock, follows_what_is_heard_smoothly_and_never_steps_back) {
    device_run run(rate * 2);
    EXPECT_EQ(run.position(), 0);
    std::int64_t previous = 0;
    constexpr std::int64_t step_ns = 100'000;
    for (int n = 0; n < 60; ++n) {
        run.callback(n);
        for (; run.clock.now < run.start + (n + 1) * buffer_ns; run.clock.now += step_ns) {
            const std::int64_t position = run.position();
            const std::int64_t audible =
                std::max<std::int64_t>(0, run.clock.now - run.start - buffer_ns);
            ASSERT_GE(position, previous);
            ASSERT_LE(position - previous, step_ns + 1);
            ASSERT_LT(std::abs(position - audible), 1'000'000);
            previous = position;
        }
    }
}

TEST(play_clock, holds_at_what_was_handed_over_while_the_device_stalls) {
    device_run run(rate * 2);
    run.callback(0);
    run.callback(1);
    run.clock.now += 500'000'000;
    EXPECT_EQ(run.position(), ns_of(2 * buffer_frames));
    // The resumed device's buffer is heard a buffer from now; until then the clock waits.
    run.device->request(buffer_frames);
    EXPECT_EQ(run.position(), ns_of(2 * buffer_frames));
    run.clock.now += buffer_ns + 2'000'000;
    EXPECT_EQ(run.position(), ns_of(2 * buffer_frames) + 2'000'000);
}

TEST(play_clock, stands_while_the_output_holds_and_goes_on_when_it_plays_again) {
    device_run run(rate * 2);
    for (int n = 0; n < 3; ++n) {
        run.callback(n);
    }
    const std::int64_t stopped_at = run.position();
    run.stream.held(stopped_at);
    run.clock.now += 2'000'000'000;
    EXPECT_EQ(run.position(), stopped_at);
    // Playing again, the device is heard a buffer after it takes the next one.
    run.device->request(buffer_frames);
    run.clock.now += buffer_ns + 2'000'000;
    EXPECT_EQ(run.position(), ns_of(3 * buffer_frames) + 2'000'000);
}

TEST(play_clock, runs_on_with_real_time_after_the_end_of_the_stream) {
    device_run run(rate / 10);
    for (int n = 0; n < 10; ++n) {
        run.callback(n);
    }
    ASSERT_TRUE(run.stream.finished());
    for (std::int64_t elapsed : {5'000'000'000, 90'000'000'000}) {
        run.clock.now = run.start + elapsed;
        EXPECT_EQ(run.position() / 1'000'000, (elapsed - buffer_ns) / 1'000'000);
    }
}

// A stream runs dry: the server has read all it had and waits for more, and the output
// hands over a fresh buffer's worth before the stream plays again. The ear hears the sink
// play out what the server read, then nothing until the stream plays, and the clock with
// it, however long that takes; while the stream is still filling before its start it
// stays at 0.
TEST(play_clock, is_heard_no_further_than_the_server_has_taken_while_the_stream_does_not_play) {
    constexpr std::int64_t second = 1'000'000'000;
    play_clock clock(rate);
    clock.handed_over(rate * 4 / 10, false);
    clock.heard_not_playing(0, 10 * second, 0);
    EXPECT_EQ(clock.position_ns(11 * second), 0) << "still filling before its start";

    clock.handed_over(rate * 12 / 10, false);
    clock.heard(second, 20 * second);
    EXPECT_EQ(clock.position_ns(20 * second + second / 10), second + second / 10);
    // Run dry at 1.2 s of music; the sink has 50 ms of it still to play.
    clock.heard_not_playing(second + second * 15 / 100, 20 * second + second * 15 / 100,
                            second * 12 / 10);
    clock.handed_over(rate * 16 / 10, false);
    EXPECT_EQ(clock.position_ns(20 * second + second * 18 / 100), second + second * 18 / 100);
    for (std::int64_t later : {second / 5, 3 * second}) {
        EXPECT_EQ(clock.position_ns(20 * second + later + second / 5), second * 12 / 10);
    }

    // It plays again: the music the server held is heard from here on.
    clock.heard(second * 12 / 10, 30 * second);
    EXPECT_EQ(clock.position_ns(30 * second + second / 10), second * 13 / 10);
    // The server goes away while the stream is dry: the show goes on with real time.
    clock.heard_not_playing(second * 14 / 10, 31 * second, second * 14 / 10);
    clock.run_on();
    EXPECT_EQ(clock.position_ns(32 * second), second * 24 / 10);
}

// A player that opens at a chosen moment starts the music there: the first block is the
// music from that frame on, and the position counts from the music's start, both before
// the output reports anything and after.
TEST(play_clock, a_stream_started_later_plays_from_there_and_counts_from_the_start) {
    std::vector<std::int16_t> ramp(rate * 2);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<std::int16_t>(i % 32000);
    }
    fake_time clock;
    fsound_stream stream(ramp, rate);
    constexpr std::int64_t from = rate / 2 + 7;
    stream.start_at(from);
    auto owned = std::make_unique<manual_device>(stream, rate, clock, buffer_ns);
    manual_device* device = owned.get();
    stream.play(std::move(owned));
    EXPECT_EQ(stream.position_ns(clock.now), ns_of(from));
    device->request(buffer_frames);
    EXPECT_EQ(device->heard.front(), ramp[from]);
    clock.now += buffer_ns + 3'000'000;
    EXPECT_EQ(stream.position_ns(clock.now), ns_of(from) + 3'000'000);
}

using stand_in_stream = sound_layer_fixture;

TEST_F(stand_in_stream, plays_for_a_missing_stream_on_real_time_from_the_play_call) {
    EXPECT_EQ(FSOUND_Stream_Play(0, nullptr), -1);
    EXPECT_FALSE(device_wanted);
    clock.advance_ms(101'234);
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 101'234);
    FSOUND_Stream_Close(nullptr);
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
}
