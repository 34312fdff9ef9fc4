#include <gtest/gtest.h>

#include <sys/wait.h>
#include <csignal>
#include <cstring>

#include "support/pty_process.hpp"
#include "support/terminal_checks.hpp"

namespace {

using namespace std::chrono_literals;

const std::string probe = TEXTSHOW_BINARY_DIR "/tests/console_probe";

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
            // The probe fills its picture with 'P', then 'A' and 'B' in turn.
            ASSERT_TRUE(run.pump_until(
                [&] {
                    return run.screen().alternate_screen() && run.screen().at(0, 0).glyph != U' ';
                },
                10s));
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
