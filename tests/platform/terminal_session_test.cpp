#include <gtest/gtest.h>

#include <sys/wait.h>
#include <csignal>
#include <cstring>
#include <utility>

#include "support/pty_process.hpp"
#include "support/terminal_checks.hpp"
#include "terminal/terminal_flow.hpp"

namespace {

using namespace std::chrono_literals;

const std::string probe = TEXTSHOW_BINARY_DIR "/tests/console_probe";

bool shows_picture(pty_process& run) {
    return run.screen().alternate_screen() && run.screen().at(0, 0).glyph != U' ';
}

}  // namespace

// However the probe leaves, the terminal is given back first and the process ends the
// way it asked to or the signal says: exit_process, Ctrl+C, fatal signals, an exception
// nobody catches, and every catchable signal whose default action ends the process.
TEST(terminal_session, every_way_of_leaving_gives_the_terminal_back) {
    struct leaving {
        std::string mode;
        int exit_code;     // or -1 when a signal ends it
        int signal;        // the one that ends it, sent from outside when the probe loops
        std::string keys;  // typed once the looping probe shows its picture
    };
    std::vector<leaving> ways = {{"exit23", 23, 0, ""},
                                 {"loop", 0, 0, "\x03"},
                                 {"segv", -1, SIGSEGV, ""},
                                 {"trap", -1, SIGTRAP, ""},
                                 {"throw", -1, SIGABRT, ""}};
    for (const int sig :
         {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,
          SIGPWR, SIGSTKFLT, SIGRTMIN, SIGRTMAX, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGSYS}) {
        ways.push_back({"loop", -1, sig, ""});
    }
    for (const leaving& way : ways) {
        SCOPED_TRACE(way.mode + " " + way.keys + " " + strsignal(way.signal));
        pty_process run({probe, way.mode}, ".", 80, 25, true);
        if (way.mode == "loop") {
            // The probe fills its picture with 'P', then a checkerboard of 'A' and 'B'.
            ASSERT_TRUE(run.pump_until([&] { return shows_picture(run); }, 10s));
            if (way.keys.empty()) {
                kill(-run.foreground_group(), way.signal);
            } else {
                run.send(way.keys);
            }
        }
        if (way.exit_code >= 0) {
            expect_exit_and_given_back(run, way.exit_code);
            continue;
        }
        const auto status = run.wait_exit(10s);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFSIGNALED(*status));
        EXPECT_EQ(WTERMSIG(*status), way.signal);
        expect_given_back(run);
    }
}

// A terminal that answers is sent frames only while they do not queue up on the way:
// with its answers held back no more than the few frames of a round trip are sent,
// however long it takes, and frames go on once it has answered.
TEST(terminal_session, an_answering_terminal_gets_no_more_frames_than_a_round_trip_holds) {
    pty_process run({probe, "loop"}, ".", 80, 25, true);
    ASSERT_TRUE(run.pump_until([&] { return shows_picture(run); }, 10s));
    // A few answered frames show the terminal's quickest answer.
    const std::size_t at_picture = run.frames_begun();
    ASSERT_TRUE(run.pump_until([&] { return run.frames_begun() > at_picture + 5; }, 10s));
    run.hold_answers(true);
    const std::size_t at_hold = run.frames_begun();
    run.pump_for(500ms);
    // This emulator answers within a pump's wait (10 ms) of reading a request.
    const auto round_trip = 10 + terminal_flow::queue_allowance_ns / 1'000'000;
    EXPECT_LE(run.frames_begun(), at_hold + 2 + round_trip / 16);
    run.hold_answers(false);
    const std::size_t at_answer = run.frames_begun();
    EXPECT_TRUE(run.pump_until([&] { return run.frames_begun() > at_answer + 10; }, 5s));
    run.send("\x1b");
    expect_exit_and_given_back(run, 42);
}

// With the far end reading nothing at all, so that the system's buffers are full and a
// write would wait for ever, Escape and Ctrl+C still end the program, and the terminal
// gets the restore bytes as soon as it reads again.
TEST(terminal_session, a_terminal_that_stops_reading_does_not_hold_up_escape_or_ctrl_c) {
    for (const auto& [keys, code] : {std::pair{"\x1b", 42}, std::pair{"\x03", 0}}) {
        pty_process run({probe, "loop"}, ".", 80, 25, true);
        // A terminal that never answers: nothing else holds the frames back.
        run.hold_answers(true);
        ASSERT_TRUE(run.pump_until([&] { return shows_picture(run); }, 10s));
        // Every cell changes in every frame: the system's buffers soon fill up.
        ASSERT_TRUE(run.wait_unread([&] { return run.output_full(); }, 10s));
        run.send(keys);
        ASSERT_TRUE(run.wait_unread([&] { return run.finished(); }, 10s))
            << "still waiting for the terminal after " << keys[0] + 0;
        expect_exit_and_given_back(run, code);
    }
}
