#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "terminal/terminal_caps.hpp"

// The controlling terminal while the show holds it: raw input, the alternate screen, a
// hidden cursor and our title, with standard error pointed away so that no library can
// scribble over the picture. Every way out of the process gives it back through
// terminal_restore, which is safe in a signal handler and does nothing the second time.
//
// As a job of an interactive shell the show holds the terminal only while it is in the
// foreground: stopped, it gives the terminal back; continued in the background, it leaves
// the terminal to the shell; in the foreground again, it takes it back and draws anew.

// Opens /dev/tty and takes it over; on failure changes nothing and says why.
bool terminal_take_over(std::string& reason);
// Gives the terminal back for good (orderly shutdown).
void terminal_give_back();
// Gives the terminal back as it was found; async-signal-safe and idempotent.
void terminal_restore();

// Follows the job's place: takes the terminal back when the show has come to the
// foreground, lets go of it when a continue found it in the background. Called once a
// frame; true while the terminal is ours.
bool terminal_follow_job();

// The show holds a session on the terminal, in the foreground or waiting for it.
bool terminal_session_open();
// The terminal is the show's right now: it is in the foreground and has taken it over.
bool terminal_session_active();
const terminal_caps& terminal_capabilities();

// Sends bytes after whatever is still on its way, without waiting: what the terminal does
// not take now is kept and sent by later calls. False when the terminal refuses them.
// Every way out drops what is kept and sends the restore bytes next.
bool terminal_send(const char* bytes, std::size_t length);
// Sends more of what is kept, without waiting; false when the terminal refuses it.
bool terminal_send_pending();
bool terminal_output_pending();

// True once after the terminal was taken over, with a status request among the bytes.
bool terminal_take_request_sent();

// Waits until the terminal has input or, while output is kept, room for it, or until
// until_ns on the monotonic clock. False, at once, when a signal came, a quit is posted
// or the job may have moved: the caller must look at those first.
bool terminal_wait(std::int64_t until_ns);

// Reads what has been typed, up to `capacity` bytes; 0 when nothing is waiting. Never
// waits, whatever mode the terminal is in, and never reads from the background.
std::size_t terminal_read(char* bytes, std::size_t capacity);

// The terminal's size in cells; false when it cannot be read.
bool terminal_size(int& cols, int& rows);

// True once after a resize or a resume from suspension: the picture must be drawn anew.
bool terminal_take_repaint_request();

// Sets the window title now and after every resume, where the terminal has titles.
void terminal_set_title(const char* title);
// Shows or hides the cursor, the way the terminal's description says.
bool terminal_show_cursor(bool visible);
