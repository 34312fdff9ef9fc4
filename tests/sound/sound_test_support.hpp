#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sndfile.h>

#include <gtest/gtest.h>

#include "sound/fsound.hpp"
#include "sound/fsound_backend.hpp"
#include "sound/silent_output.hpp"

// A folder of the running test's own: tests may run in parallel, in several builds.
inline std::filesystem::path test_folder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto folder = std::filesystem::temp_directory_path() /
                        ("textshow_" + std::to_string(getpid()) + "_" + test->name());
    std::filesystem::create_directories(folder);
    return folder;
}

// Writes interleaved 16-bit or float frames as a sound file in `format`.
template <typename sample>
void write_sound(const std::string& path, int format, int rate, int channels,
                 const std::vector<sample>& frames) {
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const auto count = static_cast<sf_count_t>(frames.size()) / channels;
    if constexpr (std::is_same_v<sample, float>) {
        sf_writef_float(file, frames.data(), count);
    } else {
        sf_writef_short(file, frames.data(), count);
    }
    sf_close(file);
}

// Noise in which no stretch repeats: its first samples mark where it starts in a
// recording, and a dropped or repeated block shows.
inline std::vector<std::int16_t> noise(int frames) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> level(500, 20'000);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (auto& s : samples) {
        s = static_cast<std::int16_t>(random() % 2 ? level(random) : -level(random));
    }
    return samples;
}

// A clock the test sets.
struct fake_time final : time_source {
    std::int64_t now_ns() const override { return now; }
    void advance_ms(double ms) { now += static_cast<std::int64_t>(ms * 1e6); }
    std::atomic<std::int64_t> now = 1'000'000'000;
};

// A sound device the test drives: each request() is one callback at the fake present,
// heard `latency_ns` later. It keeps everything it was given.
struct manual_device final : audio_output {
    manual_device(block_source& s, int r, const fake_time& t, std::int64_t l)
        : source(s), rate(r), time(t), latency_ns(l) {}
    void start() override {}
    void stop() override {}
    void request(int frames) {
        std::vector<std::int16_t> block(static_cast<std::size_t>(frames));
        source.fill(block.data(), frames);
        source.heard(static_cast<std::int64_t>(heard.size()) * 1'000'000'000 / rate,
                     time.now_ns() + latency_ns);
        heard.insert(heard.end(), block.begin(), block.end());
    }

    block_source& source;
    const int rate;
    const fake_time& time;
    const std::int64_t latency_ns;
    std::vector<std::int16_t> heard;
};

// Brings the sound layer up on a fake clock for the life of the test; streams play on a
// manual_device, the stand-in for a missing stream on a silent output paced by the test.
class sound_layer_fixture : public ::testing::Test, public sound_backend {
  protected:
    void SetUp() override {
        fsound_use_backend(this);
        FSOUND_Init(44100, 1, 2);
    }
    void TearDown() override {
        FSOUND_Close();
        fsound_use_backend(nullptr);
    }
    const time_source& time() const override { return clock; }
    std::unique_ptr<audio_output> open_output(block_source& source, int rate,
                                              bool want_device) override {
        device_rate = rate;
        device_wanted = want_device;
        if (!want_device) {
            return std::make_unique<silent_output>(source, rate, clock,
                                                   silent_output::pacing::by_caller);
        }
        auto made = std::make_unique<manual_device>(source, rate, clock, 0);
        device = made.get();
        return made;
    }

    fake_time clock;
    manual_device* device = nullptr;
    int device_rate = 0;
    bool device_wanted = true;
};
