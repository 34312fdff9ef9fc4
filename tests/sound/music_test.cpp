#include "sound/music.hpp"

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "sound/post_filter.hpp"
#include "sound_test_support.hpp"

TEST(show_ticks_from_ms, converts_milliseconds_to_ticks_truncating_toward_zero) {
    EXPECT_EQ(show_ticks_from_ms(1), 22);
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

    const std::filesystem::path previous_ = std::filesystem::current_path();
    const std::filesystem::path folder_ = test_folder();
};

}  // namespace

// Two seconds of noise at 22050 Hz, taken by the device in 20 ms blocks on time.
TEST_F(music, plays_the_soundtrack_filtered_or_not_and_counts_ticks_from_its_start) {
    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "post filter" : "unfiltered");
        std::vector<std::int16_t> expected = noise(44'100);
        write_sound(soundtrack_file_name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22'050, 1, expected);
        post_filter_enabled = filtered;
        music_start();
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(show_clock(), 0);
        for (int i = 0; i < 100; ++i) {
            device->request(441);
            clock.advance_ms(20);
        }
        EXPECT_EQ(show_clock(), 44'100);
        if (filtered) {
            post_filter_state fresh;
            post_filter_block(fresh, expected.data(), static_cast<int>(expected.size()));
        }
        EXPECT_EQ(device->heard, expected);
        music_close();
        device = nullptr;
    }
}
