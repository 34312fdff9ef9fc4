#include "sound/system_backend.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/process.hpp"
#include "sound/sound_stream.hpp"

// With a sound card or without, the audio stack says nothing; at most our one line.
TEST(system_backend, opens_a_device_or_falls_back_without_a_word_from_the_audio_stack) {
    fsound_stream stream(std::vector<std::int16_t>(2205), 22050);
    ::testing::internal::CaptureStderr();
    {
        system_backend backend;
        backend.open_output(stream, 22050, true)->start();
    }
    flush_exit_reports();
    std::fflush(stderr);
    const std::string said = ::testing::internal::GetCapturedStderr();
    if (!said.empty()) {
        EXPECT_EQ(said.rfind("textshow: no sound device, the music played silently: ", 0), 0u);
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    }
}
