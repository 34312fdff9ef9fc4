#pragma once

#include <string>
#include <string_view>

// The controlling terminal while the show holds it: raw input, the alternate screen, a
// hidden cursor and our title, with standard error pointed away so that no library can
// scribble over the picture. Every way out of the process gives it back through
// terminal_restore, which is safe in a signal handler and does nothing the second time.

// Opens /dev/tty and takes it over; on failure changes nothing and says why.
bool terminal_take_over(std::string& reason);
// Gives the terminal back for good (orderly shutdown).
void terminal_give_back();
// Gives the terminal back as it was found; async-signal-safe and idempotent.
void terminal_restore();

bool terminal_session_active();
int terminal_fd();

// The terminal's size in cells; false when it cannot be read.
bool terminal_size(int& cols, int& rows);

// True once after a resize or a resume from suspension: the picture must be drawn anew.
bool terminal_take_repaint_request();

// Sets the window title now and after every resume.
void terminal_set_title(const char* title);

// The bytes that take a terminal over and that set its title, as the session sends them;
// a recording of the show starts with them just as the terminal saw them.
std::string_view terminal_take_over_sequence();
std::string terminal_title_sequence(const char* title);
