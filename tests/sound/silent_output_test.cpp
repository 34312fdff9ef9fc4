#include "sound/silent_output.hpp"

#include <vector>

#include <gtest/gtest.h>

#include "sound/sound_stream.hpp"
#include "sound_test_support.hpp"

namespace {

constexpr int rate = 22050;
std::int64_t ns_of(std::int64_t frames) {
    return frames * 1'000'000'000 / rate;
}

}  // namespace

TEST(silent_output, keeps_one_block_ahead_of_wall_time_and_starts_afresh_after_a_stall) {
    fsound_stream stream(std::vector<std::int16_t>(rate), rate);
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
