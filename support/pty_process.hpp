#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/vterm_screen.hpp"

// A program running in a pseudo-terminal whose output feeds a real terminal emulator,
// which answers requests as a terminal does, as it reads them; a test can hold the
// answers back. Waits are bounded so that a hung program fails the test instead of
// hanging it.
class pty_process {
  public:
    // With job_control the program runs as a job of its own in the foreground, as a shell
    // starts it, so that Ctrl+Z really stops it (a session leader's group would ignore it).
    // Without answering the emulator stands for a terminal that never answers requests.
    pty_process(const std::vector<std::string>& argv, const std::string& directory, int cols,
                int rows, bool job_control = false, bool answering = true)
        : screen_(cols, rows), answering_(answering) {
        winsize size{};
        size.ws_col = static_cast<unsigned short>(cols);
        size.ws_row = static_cast<unsigned short>(rows);
        // The mode the program will find is read before it starts, so a program quick to
        // change it cannot make the comparison after its exit meaningless.
        int slave = -1;
        openpty(&master_, &slave, nullptr, nullptr, &size);
        tcgetattr(slave, &initial_mode_);
        pid_ = fork();
        if (pid_ == 0) {
            close(master_);
            login_tty(slave);
            // The emulator behind the pseudo-terminal is an xterm-like UTF-8 terminal;
            // whatever the test runner's own environment says is not what it is.
            setenv("TERM", "xterm-256color", 1);
            setenv("LC_ALL", "C.UTF-8", 1);
            if (chdir(directory.c_str()) != 0) {
                _exit(126);
            }
            std::vector<char*> args;
            for (const auto& arg : argv) {
                args.push_back(const_cast<char*>(arg.c_str()));
            }
            args.push_back(nullptr);
            if (job_control) {
                run_as_job(args);
            }
            execv(args[0], args.data());
            _exit(127);
        }
        close(slave);
    }

    ~pty_process() {
        if (!status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
    }
    pty_process(const pty_process&) = delete;
    pty_process& operator=(const pty_process&) = delete;

    void send(const std::string& bytes) {
        if (write(master_, bytes.data(), bytes.size()) < 0) {
            std::abort();
        }
    }

    void signal(int sig) { kill(pid_, sig); }

    // While held, the emulator's answers are kept; released, they go all at once.
    void hold_answers(bool hold) {
        holding_ = hold;
        // Answers to a program that has gone are lost, as with any terminal.
        if (!hold && !held_.empty() && write(master_, held_.data(), held_.size()) >= 0) {
            held_.clear();
        }
    }

    // How many frames (synchronized-output updates) have begun so far.
    std::size_t frames_begun() const {
        static const std::string frame_start = "\x1b[?2026h";
        std::size_t frames = 0;
        for (auto at = output_.find(frame_start); at != std::string::npos;
             at = output_.find(frame_start, at + 1)) {
            ++frames;
        }
        return frames;
    }

    // Resizes the terminal, which sends SIGWINCH to its foreground job.
    void resize(int cols, int rows) {
        winsize size{};
        size.ws_col = static_cast<unsigned short>(cols);
        size.ws_row = static_cast<unsigned short>(rows);
        screen_.resize(cols, rows);
        ioctl(master_, TIOCSWINSZ, &size);
    }

    // Reads output for a while, feeding it to the emulator.
    void pump_for(std::chrono::milliseconds duration) {
        const auto until = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < until) {
            pump_once(10);
        }
    }

    // Reads output until the predicate holds or the limit passes; true if it held.
    template <typename Predicate>
    bool pump_until(Predicate done, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until) {
                return false;
            }
            pump_once(10);
        }
        return true;
    }

    // Waits until the predicate holds or the limit passes without reading anything, as a
    // terminal that has stopped reading; true if it held.
    template <typename Predicate>
    bool wait_unread(Predicate done, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until) {
                return false;
            }
            poll(nullptr, 0, 10);
        }
        return true;
    }

    // Whether the program's writes would have to wait: the system's buffers between it
    // and this terminal are full.
    bool output_full() const {
        const int slave = open(ptsname(master_), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        pollfd fd{slave, POLLOUT, 0};
        const bool full = slave >= 0 && poll(&fd, 1, 0) == 0;
        if (slave >= 0) {
            close(slave);
        }
        return full;
    }

    // Waits for the program to end, reading all it wrote; its wait status, if it ended.
    std::optional<int> wait_exit(std::chrono::milliseconds limit) {
        pump_until([&] { return finished(); }, limit);
        if (status_) {
            drain();
        }
        return status_;
    }

    bool finished() {
        if (!status_) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = status;
            }
        }
        return status_.has_value();
    }

    // The pseudo-terminal's current mode, to compare with the one the program found.
    termios mode() const {
        termios now{};
        tcgetattr(master_, &now);
        return now;
    }
    const termios& initial_mode() const { return initial_mode_; }

    vterm_screen& screen() { return screen_; }
    // Every byte the terminal has received, for what leaves no trace on the screen: a
    // window title, a repeat sequence.
    const std::string& output() const { return output_; }
    pid_t pid() const { return pid_; }
    // The wait status once finished() has seen the program end.
    const std::optional<int>& status() const { return status_; }
    // The terminal's side, for a caller that reads and writes it on its own terms.
    int master() const { return master_; }
    // The process group in the terminal's foreground: the job, with job_control.
    pid_t foreground_group() const { return tcgetpgrp(master_); }

  private:
    [[noreturn]] static void run_as_job(std::vector<char*>& args) {
        std::signal(SIGTTOU, SIG_IGN);
        const pid_t job = fork();
        if (job == 0) {
            setpgid(0, 0);
            tcsetpgrp(STDIN_FILENO, getpid());
            std::signal(SIGTTOU, SIG_DFL);
            execv(args[0], args.data());
            _exit(127);
        }
        setpgid(job, job);
        tcsetpgrp(STDIN_FILENO, job);
        int status = 0;
        while (waitpid(job, &status, 0) < 0) {
        }
        if (WIFSIGNALED(status)) {
            std::signal(WTERMSIG(status), SIG_DFL);
            kill(getpid(), WTERMSIG(status));
        }
        _exit(WEXITSTATUS(status));
    }

    // Reads what the program wrote on its way out, however busy the machine: until the
    // terminal's far side is closed and empty, or, where a child of the program keeps it
    // open, until nothing more has come for a quarter of a second (at most five seconds).
    void drain() {
        using std::chrono::steady_clock;
        const auto until = steady_clock::now() + std::chrono::seconds(5);
        auto quiet_since = steady_clock::now();
        while (steady_clock::now() < until &&
               steady_clock::now() - quiet_since < std::chrono::milliseconds(250)) {
            const ssize_t got = pump_once(10);
            if (got > 0) {
                quiet_since = steady_clock::now();
            } else if (got < 0) {
                return;
            }
        }
    }

    // Reads once what is there within the timeout: the bytes read, 0 when none came, and
    // -1 once the far side is closed and nothing is left.
    ssize_t pump_once(int timeout_ms) {
        pollfd fd{master_, POLLIN, 0};
        ssize_t got = 0;
        const int ready = poll(&fd, 1, timeout_ms);
        if (ready > 0 && (fd.revents & POLLIN) == 0 && (fd.revents & (POLLHUP | POLLERR)) != 0) {
            got = -1;
        } else if (ready > 0 && (fd.revents & POLLIN) != 0) {
            char bytes[65536];
            got = read(master_, bytes, sizeof bytes);
            if (got > 0) {
                const std::string output(bytes, static_cast<std::size_t>(got));
                output_ += output;
                screen_.feed(output);
                if (answering_) {
                    held_ += screen_.answers();
                }
                if (!holding_) {
                    hold_answers(false);
                }
            }
        }
        finished();
        return got;
    }

    vterm_screen screen_;
    bool answering_ = true;
    bool holding_ = false;
    std::string held_;
    int master_ = -1;
    pid_t pid_ = -1;
    termios initial_mode_{};
    std::optional<int> status_;
    std::string output_;
};
