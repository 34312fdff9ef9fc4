// What a viewer at the far end of a slow link gets: the show, silent on real time, over
// the link simulator (a pseudo-terminal read at the rate, delivered after the delay) and
// over a real SSH session (a private sshd reached through a relay with the same rate and
// delay each way), for each rate and delay. For each it prints the frames per second
// completed at the far end, the age of the picture there (median and 95th percentile,
// sampled every 5 ms), and how long after Escape is typed there the terminal is back.
//
// Over SSH the show's own writes cannot be seen from here, so the remote command runs
// the show under this program's tap mode: the show in a pseudo-terminal of the tap's,
// read at once and passed on, with the moment of every read logged for the age.
//
//   bench-slow-link [--seconds N] [--only sim|ssh] [--rates 16,64,...] [--delays 0,50,...]
//   bench-slow-link --tap LOG PROGRAM    (what the remote command runs)

#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/link_figures.hpp"
#include "support/link_simulator.hpp"
#include "support/private_sshd.hpp"
#include "support/pty_process.hpp"
#include "support/tcp_relay.hpp"

namespace {

using clock_type = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::int64_t monotonic_ns(clock_type::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

// The tap: runs the program in a pseudo-terminal, passes its output on to our own
// terminal as soon as it comes and logs "nanoseconds total-bytes" after each read; keys
// go the other way. Ends with the program's exit code.
int tap(const std::string& log_path, const std::string& program) {
    termios mode{};
    const bool terminal = tcgetattr(STDIN_FILENO, &mode) == 0;
    termios raw = mode;
    cfmakeraw(&raw);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    const std::string directory = program.substr(0, program.rfind('/'));
    pty_process show({program}, directory.empty() ? "." : directory, 80, 25);
    std::ofstream log(log_path);
    std::size_t total = 0;
    char bytes[65536];
    for (;;) {
        pollfd ready[2] = {{show.master(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (poll(ready, 2, 20) <= 0) {
            if (show.finished()) {
                break;
            }
            continue;
        }
        if ((ready[0].revents & (POLLIN | POLLHUP)) != 0) {
            const ssize_t got = read(show.master(), bytes, sizeof bytes);
            if (got <= 0) {
                break;
            }
            total += static_cast<std::size_t>(got);
            log << monotonic_ns(clock_type::now()) << ' ' << total << '\n';
            for (ssize_t sent = 0; sent < got;) {
                const ssize_t put = write(STDOUT_FILENO, bytes + sent, got - sent);
                if (put <= 0) {
                    break;
                }
                sent += put;
            }
        }
        if ((ready[1].revents & POLLIN) != 0) {
            const ssize_t got = read(STDIN_FILENO, bytes, sizeof bytes);
            if (got > 0) {
                show.send(std::string(bytes, static_cast<std::size_t>(got)));
            }
        }
    }
    while (!show.finished()) {
        poll(nullptr, 0, 5);
    }
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &mode);
    }
    const int status = *show.status();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct row {
    link_figures figures;
    std::optional<double> escape_ms;
    int exit_code = -1;
};

// Runs a show already started at the far end of `run` for the measured stretch, then
// types Escape there.
template <typename WrittenAt>
row measure(link_simulator& run, link_simulator::settings link, double seconds,
            WrittenAt written_at) {
    row result;
    if (!run.run_until([&] { return run.far().screen().alternate_screen(); }, 20s)) {
        return result;
    }
    const auto from = clock_type::now() + 2s;
    run.run_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 2000));
    const auto to = clock_type::now();
    run.type("\x1b");
    const auto status = run.wait_exit(90s);
    if (status && WIFEXITED(*status)) {
        result.exit_code = WEXITSTATUS(*status);
    }
    if (run.far().given_back_at()) {
        result.escape_ms =
            std::chrono::duration<double, std::milli>(*run.far().given_back_at() - *run.typed_at())
                .count();
    }
    result.figures = measure_frames(run.far().frames(), written_at, link, from, to);
    return result;
}

row over_simulator(const std::string& show, double rate, std::chrono::milliseconds delay,
                   double seconds) {
    const std::string directory = show.substr(0, show.rfind('/'));
    link_simulator run({show}, directory, {rate, delay});
    return measure(run, {rate, delay}, seconds,
                   [&](std::size_t offset) { return run.written_at(offset); });
}

row over_ssh(const std::string& self, const std::string& show, double rate,
             std::chrono::milliseconds delay, double seconds) {
    private_sshd server;
    if (!server.ready()) {
        std::fprintf(stderr, "bench-slow-link: the SSH server did not start\n%s",
                     server.log().c_str());
        return {};
    }
    char made[] = "/tmp/textshow-tap-XXXXXX";
    const int log_fd = mkstemp(made);
    close(log_fd);
    const std::string log_path = made;
    tcp_relay relay(server.port(), rate, delay);
    const std::string remote = "PULSE_SERVER=unix:/nonexistent/textshow/native LC_ALL=C.UTF-8 " +
                               self + " --tap " + log_path + " " + show;
    // The client's own terminal is this end's: it takes what ssh writes at once.
    link_simulator run(server.client(relay.port(), remote), "/", {1e12, 0ms});
    std::vector<std::pair<std::size_t, clock_type::time_point>> reads;
    row result = measure(run, {rate, delay}, seconds, [&](std::size_t offset) {
        if (reads.empty()) {
            std::ifstream log(log_path);
            std::int64_t ns = 0;
            std::size_t total = 0;
            while (log >> ns >> total) {
                reads.emplace_back(total, clock_type::time_point(std::chrono::nanoseconds(ns)));
            }
        }
        const auto after =
            std::upper_bound(reads.begin(), reads.end(), offset,
                             [](std::size_t at, const auto& read) { return at < read.first; });
        return after == reads.end() ? clock_type::time_point::max() : after->second;
    });
    // The far end must have got exactly the bytes the tap passed on, or the offsets that
    // tie its frames to the show's writes would mean nothing.
    if (!reads.empty() && reads.back().first != run.far().bytes()) {
        std::fprintf(stderr, "bench-slow-link: %zu bytes left the show, %zu reached the far end\n",
                     reads.back().first, run.far().bytes());
    }
    std::remove(log_path.c_str());
    return result;
}

std::vector<int> numbers(const char* list) {
    std::vector<int> out;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        out.push_back(std::atoi(item.c_str()));
    }
    return out;
}

std::string rate_name(int kib) {
    return kib >= 1024 ? std::to_string(kib / 1024) + " MB/s" : std::to_string(kib) + " KB/s";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--tap") == 0) {
        return tap(argv[2], argv[3]);
    }
    double seconds = 8;
    std::string only;
    std::vector<int> rates = {16, 64, 250, 1024};
    std::vector<int> delays = {0, 50, 150};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0) {
            seconds = std::atof(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--only") == 0) {
            only = argv[i + 1];
        } else if (std::strcmp(argv[i], "--rates") == 0) {
            rates = numbers(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--delays") == 0) {
            delays = numbers(argv[i + 1]);
        }
    }
    setenv("PULSE_SERVER", "unix:/nonexistent/textshow/native", 1);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        return 1;
    }
    const std::string self_path = self;
    const std::string show = self_path.substr(0, self_path.rfind('/')) + "/textshow";

    std::printf(
        "| link | rate | delay each way | frames/s at the far end | picture age median | "
        "picture age p95 | frame's wait behind other output, p95 | Escape -> terminal back | "
        "exit |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const char* path : {"sim", "ssh"}) {
        if (!only.empty() && only != path) {
            continue;
        }
        for (const int kib : rates) {
            for (const int delay_ms : delays) {
                const double rate = kib * 1024.0;
                const auto delay = std::chrono::milliseconds(delay_ms);
                const row r = std::strcmp(path, "sim") == 0
                                  ? over_simulator(show, rate, delay, seconds)
                                  : over_ssh(self_path, show, rate, delay, seconds);
                std::printf("| %s | %s | %d ms | %.1f | %.0f ms | %.0f ms | %.0f ms | %s | %d |\n",
                            std::strcmp(path, "sim") == 0 ? "simulator" : "ssh",
                            rate_name(kib).c_str(), delay_ms, r.figures.frames_per_second,
                            r.figures.age_median_ms, r.figures.age_p95_ms, r.figures.wait_p95_ms,
                            r.escape_ms
                                ? (std::to_string(static_cast<int>(*r.escape_ms)) + " ms").c_str()
                                : "never",
                            r.exit_code);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
