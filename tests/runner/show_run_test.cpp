#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/data_file_names.hpp"
#include "support/pty_process.hpp"
#include "support/terminal_checks.hpp"

namespace {

using namespace std::chrono_literals;

const std::string show_directory = TEXTSHOW_BINARY_DIR "/bin";
const std::string show_program = show_directory + "/textshow";

std::unique_ptr<pty_process> start_show() {
    auto run = std::make_unique<pty_process>(std::vector<std::string>{show_program}, show_directory,
                                             80, 25);
    EXPECT_TRUE(run->pump_until([&] { return run->screen().alternate_screen(); }, 10s));
    return run;
}

bool all_blank(const vterm_screen& screen) {
    for (int y = 0; y < screen.rows(); ++y) {
        for (int x = 0; x < screen.cols(); ++x) {
            const auto cell = screen.at(x, y);
            if (cell.glyph != U' ' || cell.bg != 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(show_run, starts_blank_then_counts_down_and_escape_ends_it_with_42) {
    auto run = std::make_unique<pty_process>(std::vector<std::string>{show_program}, show_directory,
                                             80, 25);
    // The first present comes before the music is even opened: character 0 on black
    // everywhere, and no cursor.
    ASSERT_TRUE(run->pump_until([&] { return all_blank(run->screen()); }, 10s));
    EXPECT_TRUE(run->screen().alternate_screen());
    EXPECT_FALSE(run->screen().cursor_visible());

    ASSERT_TRUE(run->pump_until([&] { return run->screen().shows("Kein Signal"); }, 10s));
    // The countdown runs on the show's clock, from five minutes.
    EXPECT_TRUE(run->pump_until(
        [&] { return run->screen().shows("04:59") || run->screen().shows("04:58"); }, 5s))
        << run->screen().text();

    run->send("\x1b[A\x1b[B");
    run->pump_for(300ms);
    EXPECT_FALSE(run->finished()) << "arrow keys do not end the show";

    // Keys typed ahead, a double tap of Escape and an arrow key, all in one read: the
    // one Escape comes among other key records of the same batch.
    run->send("xy\x1b\x1b[A");
    expect_exit_and_given_back(*run, 42, 2s);
}

TEST(show_run, run_from_elsewhere_it_finds_its_files_and_a_copy_without_them_says_so) {
    // Started from an empty folder, the show finds its files beside the program.
    char made[] = "/tmp/textshow-elsewhere-XXXXXX";
    ASSERT_NE(mkdtemp(made), nullptr);
    const std::string elsewhere = made;
    {
        pty_process run({show_program}, elsewhere, 80, 25);
        ASSERT_TRUE(run.pump_until([&] { return run.screen().shows("Kein Signal"); }, 10s));
        // A double tap of Escape in one read, with nothing after it, ends the show too.
        run.send("\x1b\x1b");
        expect_exit_and_given_back(run, 42);
        const std::string said = run.screen().text();
        EXPECT_EQ(said.find("cannot play"), std::string::npos) << said;
        EXPECT_EQ(said.find(".jpg"), std::string::npos) << said;
    }
    // A copy of the program alone in a folder plays without its files and, once the
    // terminal is back, tells the user what it missed.
    const std::string copy = elsewhere + "/textshow";
    ASSERT_EQ(std::system(("cp " + show_program + " " + copy).c_str()), 0);
    pty_process run({copy}, elsewhere, 80, 25);
    ASSERT_TRUE(run.pump_until([&] { return run.screen().shows("Kein Signal"); }, 10s));
    run.send("\x1b");
    expect_exit_and_given_back(run, 42);
    const std::string said = run.screen().text();
    for (const std::string& line :
         {"textshow: " + std::string(screen_a_file_name) + ": No such file or directory",
          "textshow: " + std::string(screen_b_file_name) + ": No such file or directory",
          "textshow: cannot play " + std::string(soundtrack_file_name) +
              ": No such file or directory"}) {
        EXPECT_NE(said.find(line), std::string::npos) << line << " not in:\n" << said;
    }
    std::filesystem::remove_all(elsewhere);
}

TEST(show_run, sigint_is_an_orderly_shutdown_with_0) {
    auto run = start_show();
    ASSERT_TRUE(run->pump_until([&] { return run->screen().shows("Kein Signal"); }, 10s));
    run->signal(SIGINT);
    expect_exit_and_given_back(*run, 0);
}

TEST(show_run, without_a_terminal_says_so_in_one_line_and_exits_1) {
    const std::string errors = std::filesystem::temp_directory_path() /
                               ("textshow-no-terminal-" + std::to_string(getpid()));
    const int status = std::system(
        ("cd " + show_directory + " && setsid -w ./textshow </dev/null >/dev/null 2>" + errors)
            .c_str());
    std::stringstream said;
    said << std::ifstream(errors).rdbuf();
    std::filesystem::remove(errors);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string line =
        "textshow: cannot open the terminal /dev/tty: No such device or address\n";
    EXPECT_TRUE(said.str().ends_with(line)) << said.str();
}

// The whole show, on the silent output when there is no sound device: it ends itself at
// its last scene, 82.8 s of music time after it started, and gives the terminal back.
TEST(show_run, full_run_ends_by_itself_with_23_at_the_last_scene) {
    const auto started = std::chrono::steady_clock::now();
    auto run = start_show();
    ASSERT_TRUE(run->pump_until([&] { return run->screen().shows("Kein Signal"); }, 20s));
    const auto music_start = std::chrono::steady_clock::now();
    expect_exit_and_given_back(*run, 23, 120s);
    expect_whole_show_length(started, music_start, std::chrono::steady_clock::now());
}
