#pragma once

#include <signal.h>
#include <cctype>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>

#include "support/pty_process.hpp"

// A process's state letter from /proc/PID/stat (R, S, T, Z...), or 0 when it is gone.
inline char process_state(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end_of_name = line.rfind(')');
    return end_of_name != std::string::npos && end_of_name + 2 < line.size() ? line[end_of_name + 2]
                                                                             : '\0';
}

// Stopped, as a shell's job table would say.
inline bool is_stopped(pid_t pid) {
    return process_state(pid) == 'T';
}

// The wait status of a process that has ended but is not reaped yet (the last field of
// /proc/PID/stat); nothing for any other.
inline std::optional<int> zombie_status(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end_of_name = line.rfind(')');
    if (end_of_name == std::string::npos || end_of_name + 2 >= line.size() ||
        line[end_of_name + 2] != 'Z') {
        return std::nullopt;
    }
    return std::stoi(line.substr(line.rfind(' ') + 1));
}

// Ended: no process, or one that only waits to be reaped.
inline bool is_gone(pid_t pid) {
    const char state = process_state(pid);
    return state == '\0' || state == 'Z' || state == 'X';
}

// An interactive shell with job control in a pseudo-terminal, driven as a user drives
// one: commands typed at its prompt, keys pressed, job-control keys and signals, and the
// emulator's screen read back. Every wait is bounded. Unless told to, the terminal does
// not answer requests: answers a job owes when it is stopped without a word (SIGSTOP)
// would be read by the shell as typed text, and this emulator, answering only when a
// test reads from it, owes them far more often than a real terminal does.
class shell_session {
  public:
    explicit shell_session(const std::string& directory, int cols = 80, int rows = 25,
                           bool answering = false)
        // No history file: a test's commands have no business in the user's history.
        : run_({"/usr/bin/env", "HISTFILE=/dev/null", "/bin/bash", "--norc", "--noprofile", "-i"},
               directory, cols, rows, false, answering) {
        run_.pump_until([&] { return run_.foreground_group() == run_.pid(); },
                        std::chrono::seconds(10));
    }
    ~shell_session() {
        // Whatever a failed test left running goes with the shell.
        job_group();
        if (last_job_ > 0) {
            kill(-last_job_, SIGKILL);
        }
    }
    shell_session(const shell_session&) = delete;
    shell_session& operator=(const shell_session&) = delete;

    // Types a command line and presses Enter.
    void type(const std::string& line) { run_.send(line + "\r"); }
    void press(const std::string& keys) { run_.send(keys); }

    // Starts a program as the foreground job and waits until it is that job.
    bool start(const std::string& command_line) {
        type(command_line);
        return run_.pump_until([&] { return job_group() > 0; }, std::chrono::seconds(10));
    }

    // The foreground job's process group, or 0 while the shell itself is in front.
    pid_t job_group() const {
        const pid_t front = run_.foreground_group();
        if (front > 0 && front != run_.pid()) {
            last_job_ = front;
            return front;
        }
        return 0;
    }
    // The job most recently seen in the foreground, wherever it is now.
    pid_t last_job() const { return last_job_; }

    template <typename Predicate>
    bool wait_for(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return run_.pump_until(done, limit);
    }
    bool wait_for_text(const std::string& fragment,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return wait_for([&] { return run_.screen().shows(fragment); }, limit);
    }

    // The exit status of the command line that ends with `; echo status=$?`: typed that
    // way, the shell has read the echo before the job starts, so no key meant for the job
    // is taken for it.
    std::optional<int> status(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::optional<int> found;
        wait_for(
            [&] {
                const std::string text = run_.screen().text();
                const auto at = text.rfind("status=");
                if (at == std::string::npos || at + 7 >= text.size() ||
                    std::isdigit(static_cast<unsigned char>(text[at + 7])) == 0) {
                    return false;
                }
                found = std::stoi(text.substr(at + 7));
                return true;
            },
            limit);
        return found;
    }

    pty_process& terminal() { return run_; }
    vterm_screen& screen() { return run_.screen(); }

  private:
    pty_process run_;
    mutable pid_t last_job_ = 0;
};
