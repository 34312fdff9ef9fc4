#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sound/sound_stream.hpp"
#include "sound_test_support.hpp"

// Every format goes through one path: channels mixed to their mean, scaled to 16 bits and
// clipped at full scale.

namespace {

class decoding : public sound_layer_fixture {
  protected:
    void TearDown() override {
        sound_layer_fixture::TearDown();
        std::filesystem::remove_all(test_folder());
    }

    // Writes the frames under a name that says nothing of their format, plays the file
    // through the layer and returns what the device heard until the stream ended.
    template <typename sample>
    std::vector<std::int16_t> play(int format, int file_rate, int channels,
                                   const std::vector<sample>& frames) {
        const auto path = test_folder() / "decoding_test.avi.txt";
        write_sound(path, format, file_rate, channels, frames);
        fsound_stream* stream = FSOUND_Stream_OpenFile(path.c_str(), 0x130, 0);
        EXPECT_NE(stream, nullptr) << fsound_last_error();
        FSOUND_Stream_Play(0, stream);
        while (stream != nullptr && !stream->finished()) {
            device->request(1);
        }
        EXPECT_EQ(device_rate, file_rate);
        return device != nullptr ? device->heard : std::vector<std::int16_t>{};
    }
};

}  // namespace

TEST_F(decoding, wav_stereo_is_mixed_down_to_the_mean_of_its_channels) {
    std::vector<short> frames;
    std::vector<std::int16_t> mean;
    for (int i = 0; i < 24'000; ++i) {
        frames.push_back(static_cast<short>(2 * i - 24'000));
        frames.push_back(static_cast<short>(4'000 - 2 * (i % 2'000)));
        mean.push_back(static_cast<std::int16_t>(i - 10'000 - i % 2'000));
    }
    EXPECT_EQ(play(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48'000, 2, frames), mean);
}

TEST_F(decoding, a_file_that_is_not_sound_gives_no_stream_and_says_why) {
    const auto text = test_folder() / "decoding_text.avi.txt";
    std::ofstream(text) << "this is not a sound file, whatever its name suggests\n";
    EXPECT_EQ(FSOUND_Stream_OpenFile(text.c_str(), 0x130, 0), nullptr);
    EXPECT_STREQ(fsound_last_error(), "Format not recognised");
}

// Decoded beyond full scale, a loud lossy file clips at the rails instead of wrapping
// round to the opposite sign.
TEST_F(decoding, a_loud_ogg_vorbis_file_clips_at_full_scale) {
    std::vector<float> frames;
    for (int i = 0; i < 44'100; ++i) {
        frames.push_back(
            static_cast<float>(1.6 * std::sin(2 * std::numbers::pi * 220 * i / 44'100)));
    }
    const auto heard = play(SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44'100, 1, frames);
    ASSERT_EQ(heard.size(), frames.size());
    int at_rails = 0;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        if (std::abs(frames[i]) > 0.5f) {
            ASSERT_EQ(heard[i] > 0, frames[i] > 0) << "sample " << i << " wrapped: " << heard[i];
        }
        at_rails += heard[i] == 32'767 || heard[i] == -32'768;
    }
    EXPECT_GT(at_rails, 44'100 / 4);
}

// Float samples are scaled to full scale exactly, and clipped beyond it.
TEST_F(decoding, a_float_wav_is_scaled_to_sixteen_bits_and_clipped) {
    std::vector<float> frames;
    std::vector<std::int16_t> expected;
    for (int i = 0; i < 8'000; ++i) {
        const int level = (i * 7) % 65'536 - 32'768;
        frames.push_back(static_cast<float>(level / 32'768.0));
        expected.push_back(static_cast<std::int16_t>(level));
    }
    frames.insert(frames.end(), {1.5f, -1.5f, 1.0f});
    expected.insert(expected.end(), {32'767, -32'768, 32'767});
    EXPECT_EQ(play(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 22'050, 1, frames), expected);
}
