#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <chrono>
#include <iostream>

#include "show/show_ticks.hpp"
#include "support/pty_process.hpp"

// The terminal is back as the program found it: main screen, cursor shown, line editing
// and echo as they were.
inline void expect_given_back(pty_process& run) {
    EXPECT_FALSE(run.screen().alternate_screen()) << "back on the main screen";
    EXPECT_TRUE(run.screen().cursor_visible()) << "cursor shown again";
    EXPECT_EQ(run.mode().c_lflag & (ECHO | ICANON), run.initial_mode().c_lflag & (ECHO | ICANON))
        << "line editing and echo as they were";
}

// The program ends within the limit with the exit code and gives the terminal back.
inline void expect_exit_and_given_back(pty_process& run, int code,
                                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto status = run.wait_exit(limit);
    ASSERT_TRUE(status.has_value()) << "still running";
    ASSERT_TRUE(WIFEXITED(*status)) << "killed by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), code);
    expect_given_back(run);
}

// A whole run that ended by itself at the last scene. The show's clock never runs ahead of
// real time, so the run cannot end sooner after the program was started than the last
// scene is due, however busy the machine; a busy machine can only make it longer (the
// silent output does not make up a stall), and from the first picture a tenth longer is
// allowed.
inline void expect_whole_show_length(std::chrono::steady_clock::time_point started,
                                     std::chrono::steady_clock::time_point first_picture,
                                     std::chrono::steady_clock::time_point ended) {
    constexpr double show_seconds = double{show_last_tick} / show_ticks_per_second;
    const std::chrono::duration<double> since_started = ended - started;
    const std::chrono::duration<double> played = ended - first_picture;
    std::cout << since_started.count() << " s after the start, " << played.count()
              << " s after the first picture\n";
    EXPECT_GE(since_started.count(), show_seconds);
    EXPECT_LE(played.count(), show_seconds * 1.1);
}
