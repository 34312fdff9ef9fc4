#include <gtest/gtest.h>

#include <sys/wait.h>
#include <csignal>

#include "support/pty_process.hpp"
#include "support/shell_session.hpp"
#include "support/terminal_checks.hpp"

namespace {

using namespace std::chrono_literals;

const std::string probe = TEXTSHOW_BINARY_DIR "/tests/console_probe";

// The probe fills its picture with one character on yellow-on-blue; the first cell tells
// whether a frame has arrived.
bool shows_picture(vterm_screen& screen) {
    const auto cell = screen.at(0, 0);
    return screen.alternate_screen() && (cell.glyph == U'P' || cell.glyph == U'A');
}

// A probe that leaves at once may be gone before its picture has been read; only the
// looping one is waited for.
std::unique_ptr<pty_process> start_probe(const std::string& mode) {
    auto run = std::make_unique<pty_process>(std::vector<std::string>{probe, mode}, ".", 80, 25);
    if (mode == "loop") {
        EXPECT_TRUE(run->pump_until([&] { return shows_picture(run->screen()); }, 10s));
    }
    return run;
}

}  // namespace

TEST(terminal_session, exit_process_gives_the_terminal_back) {
    auto run = start_probe("exit23");
    expect_exit_and_given_back(*run, 23);
}

TEST(terminal_session, fatal_signals_give_the_terminal_back_and_still_kill) {
    for (const auto& [mode, sig] :
         std::vector<std::pair<std::string, int>>{{"segv", SIGSEGV}, {"trap", SIGTRAP}}) {
        auto run = start_probe(mode);
        const auto status = run->wait_exit(10s);
        ASSERT_TRUE(status.has_value()) << mode;
        EXPECT_TRUE(WIFSIGNALED(*status)) << mode;
        EXPECT_EQ(WTERMSIG(*status), sig) << mode;
        expect_given_back(*run);
    }
    auto run = start_probe("throw");
    const auto status = run->wait_exit(10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFSIGNALED(*status));
    expect_given_back(*run);
}

TEST(terminal_session, escape_ends_with_42_and_an_arrow_key_does_not) {
    auto run = start_probe("loop");
    run->send("\x1b[A\x1b[1;5D\x1bOP");
    run->pump_for(300ms);
    EXPECT_FALSE(run->finished()) << "arrow and function keys are not Escape";
    run->send("\x1b");
    expect_exit_and_given_back(*run, 42);
}

TEST(terminal_session, ctrl_c_is_an_orderly_quit) {
    auto run = start_probe("loop");
    run->send("\x03");
    expect_exit_and_given_back(*run, 0);
}

TEST(terminal_session, ctrl_z_gives_back_and_resume_takes_over_and_repaints) {
    pty_process run({probe, "loop"}, ".", 80, 25, true);
    ASSERT_TRUE(run.pump_until([&] { return shows_picture(run.screen()); }, 10s));
    const pid_t job = run.foreground_group();
    run.send("\x1a");
    ASSERT_TRUE(run.pump_until([&] { return is_stopped(job); }, 10s));
    run.pump_for(50ms);
    EXPECT_FALSE(run.screen().alternate_screen());
    EXPECT_TRUE(run.screen().cursor_visible());
    const termios stopped = run.mode();
    EXPECT_EQ(stopped.c_lflag & (ECHO | ICANON), run.initial_mode().c_lflag & (ECHO | ICANON));

    kill(-job, SIGCONT);
    EXPECT_TRUE(run.pump_until([&] { return shows_picture(run.screen()); }, 10s));
    EXPECT_FALSE(run.screen().cursor_visible());
    run.send("\x1b");
    expect_exit_and_given_back(run, 42);
}
