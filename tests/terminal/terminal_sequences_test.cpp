#include "terminal/terminal_sequences.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/vterm_screen.hpp"

namespace {

// xterm-256color as terminfo describes it.
terminal_caps xterm_caps() {
    terminal_caps caps;
    caps.enter_screen = "\x1b[?1049h\x1b[22;0;0t";
    caps.leave_screen = "\x1b[?1049l\x1b[23;0;0t";
    caps.hide_cursor = "\x1b[?25l";
    caps.show_cursor = "\x1b[?12l\x1b[?25h";
    caps.reset_colours = "\x1b(B\x1b[m";
    caps.titles = true;
    return caps;
}

}  // namespace

// The terminal may have seen the take-over once, twice (taken over again while it still
// showed the picture), or not at all (a flush on Ctrl+Z or on the way out discarded it
// unread, with a frame or a half of one after it). Whichever, the restore leaves it on
// its main screen with the cursor shown.
TEST(terminal_sequences, the_restore_gives_the_cursor_back_whatever_of_the_take_over_arrived) {
    const terminal_caps caps = xterm_caps();
    const std::string take_over = terminal_take_over_sequence(caps);
    const std::string half_a_frame = "\x1b[?2026h\x1b[93;44mP\x1b[79b\x1b[2";
    for (const std::string& before :
         {take_over + half_a_frame, take_over + take_over + half_a_frame, half_a_frame}) {
        SCOPED_TRACE(testing::PrintToString(before));
        vterm_screen screen(80, 25);
        screen.feed(before + terminal_restore_sequence(caps));
        EXPECT_FALSE(screen.alternate_screen());
        EXPECT_TRUE(screen.cursor_visible());
    }
}
