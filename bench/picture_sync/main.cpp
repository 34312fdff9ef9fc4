// Measures how far the picture trails the music the listener hears. It runs the show's
// frame loop as the program does — read the clock, render, encode, write, wait for the
// next refresh — with the console's own encoder and pacer writing into a
// pseudo-terminal. For every frame it compares the tick the frame was rendered for with
// the music heard at the moment its bytes were written.
//
// The music plays either on a simulated sound device heard a fixed latency after each
// block is handed over, compared with the show's own clock; or, given "server", on the
// sound server PULSE_SERVER names (bench/picture_sync/measure-heard.sh starts a private
// one), compared with the heard position the server itself reports.
//
//   bench-picture-sync [SECONDS] [LATENCY_MS | server]   (run in build/bin; defaults 82.8, 46)

#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "asciigui/ag_console.hpp"
#include "composition/show_composition.hpp"
#include "platform/clock.hpp"
#include "platform/frame_pacer.hpp"
#include "platform/write_all.hpp"
#include "show/show_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "sound/fsound_backend.hpp"
#include "sound/music.hpp"
#include "sound/posix/pulse_output.hpp"
#include "terminal/frame_encoder.hpp"

namespace {

// A sound device that asks for a buffer of 1024 frames whenever the previous one has
// been played, and is heard `latency` after it is handed the buffer.
class latency_device final : public audio_output {
  public:
    latency_device(block_source& source, int rate, std::int64_t latency_ns)
        : source_(source), rate_(rate), latency_ns_(latency_ns) {}
    ~latency_device() override { stop(); }

    void start() override {
        running_ = true;
        thread_ = std::thread([this] { run(); });
    }
    void stop() override {
        running_ = false;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

  private:
    void run() {
        constexpr int buffer_frames = 1024;
        std::vector<std::int16_t> block(buffer_frames);
        const std::int64_t period = std::int64_t{buffer_frames} * 1'000'000'000 / rate_;
        std::int64_t due = monotonic_nanoseconds();
        std::int64_t handed_over_ns = 0;
        while (running_) {
            source_.fill(block.data(), buffer_frames);
            source_.heard(handed_over_ns, due + latency_ns_);
            handed_over_ns += period;
            due += period;
            sleep_until_nanoseconds(due);
        }
    }

    block_source& source_;
    const int rate_;
    const std::int64_t latency_ns_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

class latency_backend final : public sound_backend {
  public:
    explicit latency_backend(std::int64_t latency_ns) : latency_ns_(latency_ns) {}
    const time_source& time() const override { return clock_; }
    std::unique_ptr<audio_output> open_output(block_source& source, int rate, bool) override {
        return std::make_unique<latency_device>(source, rate, latency_ns_);
    }

  private:
    monotonic_time_source clock_;
    std::int64_t latency_ns_;
};

// The music on the sound server; the server's word on what is heard is the reference.
class server_backend final : public sound_backend {
  public:
    const time_source& time() const override { return clock_; }
    std::unique_ptr<audio_output> open_output(block_source& source, int rate, bool) override {
        result<std::unique_ptr<pulse_output>> output = pulse_output::open(source, rate, clock_);
        if (!output) {
            std::fprintf(stderr, "bench-picture-sync: no sound server: %s\n",
                         output.error().c_str());
            std::exit(1);
        }
        output_ = output->get();
        return std::move(*output);
    }
    std::optional<std::int64_t> heard_ns() const {
        return output_ != nullptr ? output_->server_position_ns() : std::nullopt;
    }

  private:
    monotonic_time_source clock_;
    pulse_output* output_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("usage: bench-picture-sync [SECONDS] [LATENCY_MS | server]");
        return 0;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 82.8;
    const bool on_server = argc > 2 && std::strcmp(argv[2], "server") == 0;
    const double latency_ms = argc > 2 && !on_server ? std::atof(argv[2]) : 46.0;

    int master = -1;
    int slave = -1;
    winsize size{25, 80, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        std::perror("openpty");
        return 1;
    }
    std::atomic<bool> draining{true};
    std::thread terminal([&] {
        char bytes[65536];
        while (draining && read(master, bytes, sizeof bytes) > 0) {
        }
    });

    show_compose();
    latency_backend simulated(static_cast<std::int64_t>(latency_ms * 1e6));
    server_backend server;
    if (on_server) {
        fsound_use_backend(&server);
    } else {
        fsound_use_backend(&simulated);
    }
    music_start();

    frame_encoder encoder;
    frame_pacer pacer;
    std::vector<char_info> cells(screen_cells);
    std::string bytes;
    std::vector<double> trail_ms;
    long before_music = 0;
    const std::int32_t last_tick = static_cast<std::int32_t>(seconds * show_ticks_per_second);

    for (std::int32_t t = show_clock(); t < last_tick && t <= show_last_tick;) {
        // The last row ends the process; stop one frame short of it.
        if (timeline_select(t).scene == show_timeline[timeline_rows - 1].scene) {
            break;
        }
        timeline_render(show_buffer, t);
        ag_picture_cells(show_buffer, cells.data());
        bytes.clear();
        encoder.encode(cells.data(), screen_cols, screen_rows, bytes);
        write_all(slave, bytes.data(), bytes.size());
        if (on_server) {
            // Frames drawn before the server says the music plays have nothing to trail.
            if (const auto heard = server.heard_ns()) {
                trail_ms.push_back(static_cast<double>(*heard) / 1e6 -
                                   t * 1000.0 / show_ticks_per_second);
            } else {
                ++before_music;
            }
        } else {
            trail_ms.push_back((show_clock() - t) * 1000.0 / show_ticks_per_second);
        }

        // The console's own wait: the terminal has taken the frame, and the next slot has come.
        tcdrain(slave);
        sleep_until_nanoseconds(pacer.next_slot(monotonic_nanoseconds()));
        t = show_clock();
    }
    music_close();
    draining = false;
    close(slave);
    terminal.join();
    close(master);

    if (trail_ms.empty()) {
        std::fprintf(stderr, "no frames\n");
        return 1;
    }
    std::vector<double> sorted = trail_ms;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (const double value : trail_ms) {
        sum += value;
    }
    const char* env_latency = std::getenv("PULSE_LATENCY_MSEC");
    std::printf(
        "frames %zu (%ld before the music)  latency %s  picture behind heard music: "
        "mean %.3f ms  p95 %.3f ms  max %.3f ms  min %.3f ms  (limit one frame + 5 ms "
        "= %.1f ms)\n",
        trail_ms.size(), before_music,
        on_server ? (env_latency != nullptr ? env_latency : "server default")
                  : std::to_string(latency_ms).c_str(),
        sum / static_cast<double>(trail_ms.size()), sorted[sorted.size() * 95 / 100], sorted.back(),
        sorted.front(), 1000.0 / 60 + 5);
    return 0;
}
