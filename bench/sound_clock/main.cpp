// How closely the music clock follows the wall clock on the silent output: plays a tune
// (the show's soundtrack where the show finds it, else a generated one)
// through the post-filter for 20 seconds, reading the position the way the show's frame
// loop does, and reports the largest deviation from wall time and the largest jumps
// between two readings.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "base/data_file_names.hpp"
#include "platform/data_files.hpp"
#include "sound/decoder.hpp"
#include "sound/post_filter.hpp"
#include "sound/silent_output.hpp"
#include "sound/sound_stream.hpp"
#include "sound/time_source.hpp"

namespace {

constexpr int tune_rate = 44100;
constexpr std::int64_t run_ns = 20'000'000'000;

// A rising arpeggio, a quarter second a note, long enough for the whole run.
decoded_sound generated_tune() {
    decoded_sound tune;
    tune.frames_per_second = tune_rate;
    constexpr double notes[] = {220.0, 277.18, 329.63, 440.0};
    for (int i = 0; i < tune_rate * 22; ++i) {
        const double frequency = notes[(i / (tune_rate / 4)) % 4];
        const double phase = 2 * std::numbers::pi * frequency * i / tune_rate;
        tune.samples.push_back(static_cast<std::int16_t>(12'000 * std::sin(phase)));
    }
    return tune;
}

double us(std::int64_t ns) {
    return static_cast<double>(ns) / 1e3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0;
        if (!help) {
            std::fprintf(stderr, "bench-sound-clock: takes no arguments\n");
        }
        std::fputs(
            "usage: bench-sound-clock   (plays the show's soundtrack where the show finds it)\n",
            help ? stdout : stderr);
        return help ? 0 : 2;
    }
    result<decoded_sound> sound = decode_mono16(data_file_path(soundtrack_file_name).c_str());
    const bool soundtrack = sound.has_value();
    if (!soundtrack) {
        sound = generated_tune();
    }
    fsound_stream stream(std::move(sound->samples), sound->frames_per_second);
    stream.add_dsp(&post_filter, 0, nullptr)->active = true;
    monotonic_time_source clock;
    silent_output output(stream, stream.frames_per_second(), clock,
                         silent_output::pacing::own_thread);

    const std::int64_t start = clock.now_ns();
    output.start();
    std::int64_t previous_position = 0;
    std::int64_t previous_now = start;
    std::int64_t worst_deviation = 0;
    std::int64_t worst_backward = 0;
    std::int64_t worst_forward = 0;
    long readings = 0;
    for (std::int64_t now = start; now - start < run_ns; now = clock.now_ns()) {
        const std::int64_t position = stream.position_ns(now);
        const std::int64_t deviation = position - (now - start);
        worst_deviation = std::max(worst_deviation, std::abs(deviation));
        const std::int64_t step = (position - previous_position) - (now - previous_now);
        worst_backward = std::max(worst_backward, previous_position - position);
        worst_forward = std::max(worst_forward, step);
        previous_position = position;
        previous_now = now;
        ++readings;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    output.stop();

    std::printf("sound clock on the silent output, %s at %d Hz, post-filter on, %.0f s\n",
                soundtrack ? soundtrack_file_name : "generated tune", stream.frames_per_second(),
                us(run_ns) / 1e6);
    std::printf("  readings:                         %ld\n", readings);
    std::printf("  largest deviation from wall time: %.3f us\n", us(worst_deviation));
    std::printf("  largest backward jump:            %.3f us\n", us(worst_backward));
    std::printf("  largest jump ahead of wall time:  %.3f us\n", us(worst_forward));
    return 0;
}
