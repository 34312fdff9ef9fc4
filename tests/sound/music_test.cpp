#include "sound/music.hpp"

#include <sndfile.h>

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "platform/process.hpp"
#include "sound/post_filter.hpp"
#include "sound_test_support.hpp"

TEST(show_ticks_from_ms, converts_milliseconds_to_ticks_truncating_toward_zero) {
    EXPECT_EQ(show_ticks_from_ms(0), 0);
    EXPECT_EQ(show_ticks_from_ms(1), 22);
    EXPECT_EQ(show_ticks_from_ms(3), 66);
    EXPECT_EQ(show_ticks_from_ms(20), 441);
    EXPECT_EQ(show_ticks_from_ms(1000), 22050);
    EXPECT_EQ(show_ticks_from_ms(82811), 1825982);
    EXPECT_EQ(show_ticks_from_ms(82812), 1826004);
    EXPECT_EQ(show_ticks_from_ms(97392), 2147493);
    EXPECT_EQ(show_ticks_from_ms(-1), -22);
}

namespace {

// Each test runs in a folder of its own, where the soundtrack is what it puts.
class music : public sound_layer_fixture {
  protected:
    void SetUp() override {
        std::filesystem::current_path(folder_);
        sound_layer_fixture::SetUp();
    }
    void TearDown() override {
        sound_layer_fixture::TearDown();
        post_filter_enabled = false;
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

    // Two seconds of a rising tone at 22050 Hz, 16-bit mono WAV.
    std::vector<std::int16_t> write_soundtrack() {
        std::vector<std::int16_t> samples;
        for (int i = 0; i < 44'100; ++i) {
            samples.push_back(static_cast<std::int16_t>((i * i / 64) % 20'000 - 10'000));
        }
        SF_INFO info{0, 22'050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* file = sf_open("soundtrack.avi.txt", SFM_WRITE, &info);
        sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
        return samples;
    }

    const std::filesystem::path previous_ = std::filesystem::current_path();
    const std::filesystem::path folder_ = test_folder();

    // The device takes a 20 ms block on time, `blocks` times.
    void play_blocks(int blocks) {
        for (int i = 0; i < blocks; ++i) {
            device->request(441);
            clock.advance_ms(20);
        }
    }
};

}  // namespace

TEST_F(music, plays_the_soundtrack_unfiltered_and_counts_ticks_from_its_start) {
    const auto samples = write_soundtrack();
    music_start();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(show_clock(), 0);
    play_blocks(50);
    EXPECT_EQ(show_clock(), 22050);
    EXPECT_EQ(device->heard, std::vector<std::int16_t>(samples.begin(), samples.begin() + 22'050));
    music_close();
}

TEST_F(music, runs_the_soundtrack_through_the_post_filter_when_enabled) {
    auto expected = write_soundtrack();
    post_filter_enabled = true;
    music_start();
    ASSERT_NE(device, nullptr);
    play_blocks(100);
    post_filter_state fresh;
    post_filter_block(fresh, expected.data(), static_cast<int>(expected.size()));
    EXPECT_EQ(device->heard, expected);
    music_close();
}

TEST_F(music, without_a_soundtrack_runs_on_real_time_and_says_why_at_exit) {
    ::testing::internal::CaptureStderr();
    music_start();
    flush_exit_reports();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "textshow: cannot play soundtrack.avi.txt: No such file or directory\n");
    EXPECT_EQ(show_clock(), 0);
    clock.advance_ms(82'812);
    EXPECT_EQ(show_clock(), 1'826'004);
    music_close();
}
