#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "asciigui/ag_box.hpp"

namespace {

// Whether another thread can take and release the tree lock within ten seconds: a lock left
// held by this thread would keep it waiting for good. The check runs in a child process,
// a copy of this one with the lock as it stands, so that a thread left waiting ends with
// the child instead of outliving the test; one that got the lock is joined.
bool free_for_another_thread(ag_widget& widget) {
    const pid_t child = fork();
    if (child == 0) {
        std::atomic<bool> done = false;
        std::thread taker([&widget, &done] {
            widget.lock();
            widget.unlock();
            done = true;
        });
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!done) {
            _exit(1);
        }
        taker.join();
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(ag_widget, resize_gives_a_fresh_zeroed_grid_and_refuses_negative_sizes) {
    ag_widget w;
    EXPECT_EQ(std::pair(w.rows(), w.cols()), std::pair(-1, -1));
    EXPECT_FALSE(w.has_grid());
    ASSERT_TRUE(w.resize(3, 4));
    ASSERT_TRUE(w.set_cell(2, 3, {'x', 1, 2}));
    ASSERT_TRUE(w.resize(3, 4));
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(w.cell(i / 4, i % 4), ag_cell{}) << i;
    }
    EXPECT_FALSE(w.resize(-1, 7));
    EXPECT_EQ(std::pair(w.rows(), w.cols()), std::pair(3, 4));
    EXPECT_TRUE(w.has_grid());
    EXPECT_TRUE(w.resize(0, 7));
    EXPECT_EQ(w.cols(), 7);
    EXPECT_FALSE(w.has_grid());
}

TEST(ag_widget, the_tree_lock_is_counted_on_the_root_and_freed_after_nested_use) {
    ag_box root;
    ag_widget child;
    ASSERT_TRUE(root.add_child(&child, 1));
    root.lock();
    child.lock();
    EXPECT_EQ(std::pair(root.lock_count(), child.lock_count()), std::pair(2, 0));
    EXPECT_TRUE(child.resize(2, 3));
    EXPECT_FALSE(child.resize(-1, 3)) << "a refused operation releases the lock too";
    child.unlock();
    root.unlock();
    EXPECT_EQ(root.lock_count(), 0);
    ASSERT_TRUE(free_for_another_thread(root)) << "the lock is still held";
}

TEST(ag_widget_death_test, unlock_without_a_held_lock_logs_a_dated_line_and_traps) {
    char pattern[] = "/tmp/ag_check_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string state_dir = pattern;
    EXPECT_EXIT(
        {
            setenv("XDG_STATE_HOME", state_dir.c_str(), 1);
            ag_widget{}.unlock();
        },
        ::testing::KilledBySignal(SIGTRAP), "");
    std::stringstream log;
    log << std::ifstream(state_dir + "/debugansi.log", std::ios::binary).rdbuf();
    EXPECT_TRUE(
        std::regex_match(log.str(), std::regex(R"(\r\n\d\d/\d\d/\d\d \d\d:\d\d:\d\d \r\n)")))
        << log.str();
    std::filesystem::remove_all(state_dir);
}
