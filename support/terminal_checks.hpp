#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <chrono>

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
