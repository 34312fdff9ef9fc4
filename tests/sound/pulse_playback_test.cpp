#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/process.hpp"
#include "private_pulse_server.hpp"
#include "sound/fsound.hpp"
#include "sound/posix/pulse_output.hpp"
#include "sound/sound_stream.hpp"
#include "sound/system_backend.hpp"
#include "sound_test_support.hpp"

// The audible path, played into a private PulseAudio server and heard at its sink.

namespace {

constexpr int rate = 44'100;

class pulse_playback : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready())
            << "the private PulseAudio server did not start: " << server.failure();
    }
    private_pulse_server server;
};

}  // namespace

TEST_F(pulse_playback, the_heard_music_is_the_file_sample_for_sample_while_both_cores_are_busy) {
    constexpr int seconds = 20;
    const auto music = noise(rate * seconds);
    const std::string path = server.folder() + "/music.wav";
    write_sound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, music);

    monitor_recording recording(server);
    ASSERT_TRUE(recording.wait_until_it_records()) << "the recorder did not start";
    {
        // Two processes that keep both cores busy at normal priority.
        const pid_t busy[] = {spawn_process({"yes"}, {}, "/dev/null", "/dev/null"),
                              spawn_process({"yes"}, {}, "/dev/null", "/dev/null")};
        FSOUND_Init(44100, 1, 2);
        fsound_stream* stream = FSOUND_Stream_OpenFile(path.c_str(), 0x130, 0);
        EXPECT_NE(stream, nullptr) << fsound_last_error();
        FSOUND_Stream_Play(0, stream);
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(seconds * 2);
        while (FSOUND_Stream_GetTime(stream) < seconds * 1000 + 300 &&
               std::chrono::steady_clock::now() < give_up) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        FSOUND_Close();
        for (const pid_t pid : busy) {
            end_process(pid, SIGKILL);
        }
    }
    const auto heard = recording.stop();

    const auto start = std::search(heard.begin(), heard.end(), music.begin(), music.begin() + 32);
    ASSERT_GE(heard.end() - start, static_cast<long>(music.size())) << "the recording is short";
    const auto [first_difference, _] = std::mismatch(music.begin(), music.end(), start);
    const auto at = first_difference - music.begin();
    EXPECT_EQ(first_difference, music.end())
        << "the heard music differs from frame " << at << " of " << music.size() << " (heard "
        << start[at] << ", the file has " << *first_difference << "), the music starting at "
        << start - heard.begin() << " of " << heard.size() << " recorded";
}

// The clock against the server's own word on what is heard, at the default buffer and at
// a Bluetooth-like latency, sampled throughout a few seconds of play.
TEST_F(pulse_playback, the_clock_stays_within_a_frame_of_the_heard_position_the_server_reports) {
    for (const char* latency : {"", "150"}) {
        SCOPED_TRACE(*latency != '\0' ? std::string("PULSE_LATENCY_MSEC=") + latency
                                      : std::string("default latency"));
        if (*latency != '\0') {
            setenv("PULSE_LATENCY_MSEC", latency, 1);
        }
        fsound_stream stream(noise(rate * 5), rate);
        monotonic_time_source time;
        result<std::unique_ptr<pulse_output>> opened = pulse_output::open(stream, rate, time);
        unsetenv("PULSE_LATENCY_MSEC");
        ASSERT_TRUE(opened) << opened.error();
        pulse_output& output = **opened;
        output.start();

        constexpr std::int64_t frame_ns = 1'000'000'000 / 60;
        std::int64_t worst = 0;
        std::int64_t last_heard = 0;
        // A freshly started null sink first plays out the two seconds of silence it queued
        // while idle; the music follows, and is sampled for two and a half seconds.
        const std::int64_t give_up = time.now_ns() + 10'000'000'000;
        int samples = 0;
        while (last_heard < 2'500'000'000 && time.now_ns() < give_up) {
            // The server's reading is bracketed by two of the clock's; a reading the test
            // thread was held up around says nothing of the clock and is left out.
            const std::int64_t before = time.now_ns();
            const auto reported = output.server_position_ns();
            const std::int64_t after = time.now_ns();
            if (reported && *reported > 0 && after - before < 1'000'000) {
                const std::int64_t clock = stream.position_ns(before + (after - before) / 2);
                worst = std::max(worst, std::abs(clock - *reported));
                last_heard = *reported;
                ++samples;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        output.stop();
        EXPECT_GE(last_heard, 2'500'000'000) << "the music did not play";
        EXPECT_GT(samples, 200);
        std::cout << "worst distance " << worst / 1000 << " us over " << samples << " samples\n";
        EXPECT_LE(worst, frame_ns);
    }
}

// Nothing to connect to and no device: the show runs on in silence, on real time, and
// the user learns why in one line once the program ends.
TEST(no_sound_server, falls_back_to_silent_real_time_with_its_one_line) {
    setenv("PULSE_SERVER", "unix:/nonexistent/textshow/native", 1);
    fsound_stream stream(std::vector<std::int16_t>(rate), rate);
    ::testing::internal::CaptureStderr();
    {
        system_backend backend;
        auto output = backend.open_output(stream, rate, true);
        const std::int64_t start = backend.time().now_ns();
        output->start();
        EXPECT_TRUE(wait_until([&] { return stream.position_ns(backend.time().now_ns()) > 0; }));
        EXPECT_LE(stream.position_ns(backend.time().now_ns()), backend.time().now_ns() - start);
        output->stop();
    }
    unsetenv("PULSE_SERVER");
    flush_exit_reports();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "no sound device, the music played silently: Connection refused\n");
}
