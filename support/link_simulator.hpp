#pragma once

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/far_terminal.hpp"
#include "support/pty_process.hpp"

// A program in a pseudo-terminal at the near end of a slow link. The terminal's side of
// the pseudo-terminal is read no faster than the link's rate, in small chunks, so the
// program meets the back-pressure a slow reader gives; what is read reaches the far
// terminal (libvterm) after the link's delay. The far terminal's answers and the keys
// typed there travel back after the same delay. The test drives the link: nothing moves
// unless run_for or run_until is running.
//
// The moment the program wrote each byte is kept too: how many bytes are waiting on the
// terminal's side, added to those read, is sampled at every step, so a frame's opening
// mark tells when the program began to write that frame.
class link_simulator {
  public:
    using clock = std::chrono::steady_clock;

    struct settings {
        double bytes_per_second = 16 * 1024;
        std::chrono::milliseconds delay{50};
    };

    link_simulator(const std::vector<std::string>& argv, const std::string& directory,
                   settings link, int cols = 80, int rows = 25)
        : link_(link),
          // A chunk is at most 1/64 s of the link's bytes, and a burst after a quiet spell
          // no larger: the reader never takes much more than the rate allows.
          chunk_(std::max<std::size_t>(64, static_cast<std::size_t>(link.bytes_per_second / 64))),
          far_(cols, rows),
          program_(argv, directory, cols, rows) {
        far_.screen().on_answer([this](const char* bytes, std::size_t length) {
            toward_program_.push_back({now_ + link_.delay, std::string(bytes, length)});
        });
        last_step_ = clock::now();
    }

    // Keys typed at the far end now.
    void type(const std::string& keys) {
        typed_at_ = clock::now();
        toward_program_.push_back({*typed_at_ + link_.delay, keys});
    }

    template <typename Predicate>
    bool run_until(Predicate done, std::chrono::milliseconds limit) {
        const auto until = clock::now() + limit;
        while (!done()) {
            if (clock::now() >= until) {
                return false;
            }
            step();
        }
        return true;
    }

    void run_for(std::chrono::milliseconds duration) {
        run_until([] { return false; }, duration);
    }

    // Runs until the program has ended and all it wrote is at the far end.
    std::optional<int> wait_exit(std::chrono::milliseconds limit) {
        run_until([&] { return exit_status() && drained(); }, limit);
        return exit_status();
    }

    std::optional<int> exit_status() {
        program_.finished();
        return program_.status();
    }

    // When the program began writing the byte at this offset of its output.
    clock::time_point written_at(std::size_t offset) const {
        const auto after = std::upper_bound(
            written_.begin(), written_.end(), offset,
            [](std::size_t at, const write_mark& mark) { return at < mark.total; });
        return after == written_.end() ? clock::time_point::max() : after->at;
    }

    const settings& link() const { return link_; }
    far_terminal& far() { return far_; }
    const far_terminal& far() const { return far_; }
    std::optional<clock::time_point> typed_at() const { return typed_at_; }

  private:
    struct timed_bytes {
        clock::time_point due;
        std::string bytes;
    };
    struct write_mark {
        clock::time_point at;
        std::size_t total;  // bytes the program had written by then
    };

    bool drained() const { return toward_far_.empty() && ended_; }

    std::size_t waiting() const {
        int count = 0;
        return ioctl(program_.master(), FIONREAD, &count) == 0 && count > 0
                   ? static_cast<std::size_t>(count)
                   : 0;
    }

    void step() {
        now_ = clock::now();
        const std::size_t pending = waiting();
        if (written_.empty() || read_ + pending > written_.back().total) {
            written_.push_back({now_, read_ + pending});
        }
        const double seconds = std::chrono::duration<double>(now_ - last_step_).count();
        last_step_ = now_;
        tokens_ = std::min(static_cast<double>(chunk_), tokens_ + seconds * link_.bytes_per_second);
        // Once the program has ended, its last bytes may still be on their way into the
        // count of waiting bytes; reading on until the end of the stream takes them all.
        pollfd ready{program_.master(), POLLIN, 0};
        if (tokens_ >= 1 && !ended_ && (pending > 0 || program_.finished()) &&
            poll(&ready, 1, 0) > 0) {
            std::string bytes(
                std::min(std::max<std::size_t>(pending, 4096), static_cast<std::size_t>(tokens_)),
                '\0');
            const ssize_t got = read(program_.master(), bytes.data(), bytes.size());
            if (got > 0) {
                bytes.resize(static_cast<std::size_t>(got));
                tokens_ -= static_cast<double>(got);
                read_ += bytes.size();
                toward_far_.push_back({now_ + link_.delay, std::move(bytes)});
            } else if (program_.finished()) {
                ended_ = true;
            }
        }
        while (!toward_far_.empty() && toward_far_.front().due <= now_) {
            far_.deliver(toward_far_.front().bytes, now_);
            toward_far_.pop_front();
        }
        while (!toward_program_.empty() && toward_program_.front().due <= now_) {
            program_.send(toward_program_.front().bytes);
            toward_program_.pop_front();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }

    settings link_;
    std::size_t chunk_;
    far_terminal far_;
    pty_process program_;
    std::deque<timed_bytes> toward_far_;
    std::deque<timed_bytes> toward_program_;
    std::vector<write_mark> written_;
    std::size_t read_ = 0;
    double tokens_ = 0;
    bool ended_ = false;  // the program's output has been read to its end
    clock::time_point now_;
    clock::time_point last_step_;
    std::optional<clock::time_point> typed_at_;
};
