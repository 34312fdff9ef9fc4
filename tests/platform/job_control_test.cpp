#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/shell_session.hpp"
#include "support/terminal_checks.hpp"
#include "terminal/cp437.hpp"
#include "tests/platform/probe/still_picture.hpp"

// The console as a job of an interactive shell: stopped, killed, continued in the
// foreground or the background, with the emulator's screen read back after each step.

namespace {

using namespace std::chrono_literals;

const std::string probe = TEXTSHOW_BINARY_DIR "/tests/console_probe";

bool shows_frame(vterm_screen& screen) {
    const auto cell = screen.at(0, 0);
    return screen.alternate_screen() && (cell.glyph == U'P' || cell.glyph == U'A');
}

// The probe's still picture with its top left corner at (left, top), every glyph as the
// terminal's character set has it and every colour as the terminal can show it.
bool shows_still_picture(const vterm_screen& screen, int left, int top, bool utf8 = true,
                         int fg = 11, int bg = 4) {
    for (int y = 0; y < still_rows; ++y) {
        for (int x = 0; x < still_cols; ++x) {
            const std::uint8_t code = still_code(x, y);
            const char32_t glyph =
                utf8 ? cp437_code_point(code) : static_cast<char32_t>(cp437_ascii_stand_in(code));
            const auto cell = screen.at(left + x, top + y);
            if (cell.glyph != glyph || cell.fg != fg || cell.bg != bg) {
                return false;
            }
        }
    }
    return true;
}

void expect_shell_has_the_terminal(shell_session& shell) {
    EXPECT_FALSE(shell.screen().alternate_screen()) << "back on the main screen";
    EXPECT_TRUE(shell.screen().cursor_visible()) << "cursor shown again";
}

}  // namespace

TEST(job_control, a_stopped_job_killed_from_the_shell_ends_at_once_with_0) {
    // The shell continues a stopped job after SIGTERM and SIGHUP itself; after SIGINT
    // the user does. The terminal answers requests, and the answer to the frame on its
    // way arrives only after the job has given the terminal back, as over any link: it
    // must not reach the shell, where it would be typed before the command.
    for (const std::string kill_command : {"kill %1", "kill -HUP %1", "kill -INT %1; bg"}) {
        SCOPED_TRACE(kill_command);
        shell_session shell(".", 80, 25, true);
        ASSERT_TRUE(shell.start(probe + " loop"));
        ASSERT_TRUE(shell.wait_for([&] { return shows_frame(shell.screen()); }));
        const pid_t job = shell.job_group();
        shell.terminal().hold_answers(true);
        const std::size_t at_hold = shell.terminal().frames_begun();
        ASSERT_TRUE(shell.wait_for([&] { return shell.terminal().frames_begun() > at_hold; }))
            << "no frame owes an answer";
        shell.press("\x1a");
        ASSERT_TRUE(shell.wait_for([&] { return !shell.screen().alternate_screen(); }));
        shell.terminal().hold_answers(false);
        ASSERT_TRUE(shell.wait_for([&] { return is_stopped(job) && shell.job_group() == 0; }));
        // The job is continued in the background, where it must not take the terminal.
        shell.type(kill_command);
        ASSERT_TRUE(shell.wait_for([&] { return is_gone(job); }, 5s)) << "still there";
        // Not yet reaped, the job's status is read from the kernel; reaped, from the
        // shell's report at its next prompt, where "Done" is its word for exit status 0.
        if (const auto status = zombie_status(job)) {
            EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
        } else {
            shell.type("");
            EXPECT_TRUE(shell.wait_for_text("Done")) << shell.screen().text();
        }
        expect_shell_has_the_terminal(shell);
    }
}

TEST(job_control, stopped_from_outside_and_brought_back_with_fg_takes_raw_input_again) {
    shell_session shell(".");
    ASSERT_TRUE(shell.start(probe + " loop"));
    ASSERT_TRUE(shell.wait_for([&] { return shows_frame(shell.screen()); }));
    const pid_t job = shell.job_group();
    kill(-job, SIGSTOP);
    ASSERT_TRUE(shell.wait_for_text("Stopped"));
    // The shell has put the terminal back into line mode meanwhile.
    shell.type("fg; echo status=$?");
    ASSERT_TRUE(shell.wait_for([&] { return !shell.screen().shows("Stopped"); }))
        << "the picture is drawn again over the shell's lines\n"
        << shell.screen().text();
    shell.press("\x1b");
    EXPECT_EQ(shell.status(5s), 42) << "Escape is read as a key, not held for a line";
    expect_shell_has_the_terminal(shell);
}

// Stopped, the job gives the terminal back; continued in the background with bg it
// neither draws nor touches the terminal's modes until fg. A picture that does not change
// between frames is only drawn again if the console knows the terminal lost it: after a
// stop, and after a resize, where it is centred anew.
TEST(job_control, a_still_picture_is_drawn_again_after_fg_and_centred_after_a_resize) {
    shell_session shell(".");
    ASSERT_TRUE(shell.start(probe + " still"));
    ASSERT_TRUE(shell.wait_for([&] { return shows_still_picture(shell.screen(), 0, 0); }));
    const pid_t job = shell.job_group();
    shell.press("\x1a");
    ASSERT_TRUE(shell.wait_for([&] { return is_stopped(job) && shell.job_group() == 0; }));
    EXPECT_TRUE(shell.wait_for([&] { return !shell.screen().alternate_screen(); }))
        << "a stopped job gives the terminal back";
    expect_shell_has_the_terminal(shell);
    shell.type("bg");
    ASSERT_TRUE(shell.wait_for([&] { return !is_stopped(job); }));
    shell.type("echo typed-at-the-prompt");
    ASSERT_TRUE(shell.wait_for_text("\ntyped-at-the-prompt"));
    shell.terminal().pump_for(300ms);
    EXPECT_FALSE(is_stopped(job)) << "a job that touches the terminal is stopped";
    expect_shell_has_the_terminal(shell);
    shell.type("fg");
    EXPECT_TRUE(shell.wait_for([&] { return shows_still_picture(shell.screen(), 0, 0); }, 5s));

    shell.terminal().resize(100, 31);
    EXPECT_TRUE(shell.wait_for([&] { return shows_still_picture(shell.screen(), 10, 3); }, 5s));
    EXPECT_EQ(shell.screen().at(0, 0).glyph, U' ');
    shell.press("\x1b");
    EXPECT_TRUE(shell.wait_for([&] { return shell.job_group() == 0; }));
}

// The system hands Ctrl+Z to any thread that does not hold it off, such as the show's
// sound threads, while the frame loop holds signals off to send a frame. The stop waits
// for the frame loop all the same: given back in the middle of a frame, the terminal
// would get the rest of the frame over the shell's screen, and the next take-over would
// find the picture's screen still up.
TEST(job_control, ctrl_z_waits_for_the_frame_loop_whichever_thread_the_system_hands_it_to) {
    const std::filesystem::path released = std::filesystem::temp_directory_path() /
                                           ("console-probe-released-" + std::to_string(getpid()));
    const std::filesystem::path held = released.string() + ".held";
    std::filesystem::remove(released);
    std::filesystem::remove(held);
    shell_session shell(".");
    ASSERT_TRUE(shell.start(probe + " beside " + released.string()));
    ASSERT_TRUE(shell.wait_for([&] { return std::filesystem::exists(held); }));
    const pid_t job = shell.job_group();
    shell.press("\x1a");
    shell.terminal().pump_for(300ms);
    EXPECT_FALSE(is_stopped(job)) << "stopped while the frame loop held signals off";
    EXPECT_TRUE(shell.screen().alternate_screen());
    std::ofstream{released}.close();
    EXPECT_TRUE(shell.wait_for([&] { return is_stopped(job) && shell.job_group() == 0; }));
    std::filesystem::remove(released);
    std::filesystem::remove(held);
    expect_shell_has_the_terminal(shell);
    shell.type("fg");
    EXPECT_TRUE(shell.wait_for([&] { return shows_still_picture(shell.screen(), 0, 0); }, 5s));
    shell.press("\x1b");
    EXPECT_TRUE(shell.wait_for([&] { return shell.job_group() == 0; }));
}

// Each terminal gets what its terminfo description and the locale's character set say
// it can show: bright colours only with 16 colours or more, none without colours, the
// alternate screen only where there is one (elsewhere the picture is cleared on exit), a
// title and REP only where the description has them, the real glyphs only in UTF-8.
TEST(terminal_kinds, picture_colours_and_screens_follow_the_terminal_and_the_locale) {
    struct kind {
        std::string term;
        std::string locale;
        bool alternate_screen;
        int fg;
        int bg;
        bool utf8;
        bool titles;
        bool repeats;
    };
    for (const kind& k : {kind{"xterm-256color", "C.UTF-8", true, 11, 4, true, true, true},
                          kind{"screen", "C.UTF-8", true, 3, 4, true, false, false},
                          kind{"tmux-256color", "C.UTF-8", true, 11, 4, true, true, false},
                          kind{"linux", "C.UTF-8", false, 3, 4, true, false, false},
                          kind{"vt220", "C", false, -1, -1, false, false, false}}) {
        SCOPED_TRACE(k.term + " " + k.locale);
        shell_session shell(".");
        ASSERT_TRUE(shell.start("TERM=" + k.term + " LC_ALL=" + k.locale + " " + probe +
                                " still; echo status=$?"));
        EXPECT_TRUE(shell.wait_for(
            [&] { return shows_still_picture(shell.screen(), 0, 0, k.utf8, k.fg, k.bg); }, 5s));
        EXPECT_EQ(shell.screen().alternate_screen(), k.alternate_screen);
        EXPECT_FALSE(shell.screen().cursor_visible());
        shell.press("\x1b");
        EXPECT_EQ(shell.status(5s), 42);
        expect_shell_has_the_terminal(shell);
        EXPECT_FALSE(shell.screen().shows("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) << "picture left behind";
        const std::string& sent = shell.terminal().output();
        EXPECT_EQ(sent.find("\x1b]2;console probe") != std::string::npos, k.titles);
        EXPECT_EQ(sent.find("\x1b[23;0t") != std::string::npos, k.titles) << "title given back";
        EXPECT_EQ(std::regex_search(sent, std::regex("\x1b\\[[0-9]+b")), k.repeats);
    }
}

TEST(terminal_kinds, a_terminal_that_cannot_move_its_cursor_is_told_so_and_left_alone) {
    for (const std::string term : {"dumb", "no-such-terminal"}) {
        shell_session shell(".", 160, 25);
        shell.type("TERM=" + term + " " + probe + " still; echo status=$?");
        EXPECT_EQ(shell.status(5s), 1);
        EXPECT_TRUE(shell.screen().shows("console_probe: the terminal TERM=" + term))
            << shell.screen().text();
        expect_shell_has_the_terminal(shell);
    }
}
