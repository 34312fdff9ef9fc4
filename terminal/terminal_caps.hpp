#pragma once

#include <string>

#include "terminal/glyph_set.hpp"

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
    glyph_set glyphs = utf8_glyphs();  // as the locale's character set spells them
};
