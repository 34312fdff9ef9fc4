#pragma once

#include <string>

// What the terminal can show, from its own terminfo description (the one TERM names) and
// the character set of the locale: programs that assume an xterm draw garbage on a
// Linux console, a serial line or a terminal set up for Latin-1.
struct terminal_caps {
    int colours = 0;           // 0 (none), 8, 16 or more
    bool repeats = false;      // REP: the last glyph again, n times
    bool titles = false;       // a window title through OSC 2, and a title stack
    std::string enter_screen;  // the alternate screen; empty when there is none
    std::string leave_screen;
    std::string hide_cursor;
    std::string show_cursor;
    std::string reset_colours;
    std::string codeset;  // the locale's character set, as nl_langinfo names it
};

// Reads the description of the terminal on fd. A terminal that cannot move its cursor
// cannot show a picture at all: false, and `reason` says so in a few words.
bool read_terminal_caps(int fd, terminal_caps& caps, std::string& reason);
// The same for a terminal named here rather than by TERM; fd may be -1 when there is no
// such terminal at hand, as for a recording made for one.
bool read_terminal_caps_of(const char* term, int fd, terminal_caps& caps, std::string& reason);
