#pragma once

#include <string_view>

// Ends the process at once with the given exit code, the way the show leaves on Escape
// or at its last scene: the terminal is given back first, then any lines held for the
// user are written to standard error. Nothing else is cleaned up.
[[noreturn]] void exit_process(int code);

// Stops in an attached debugger; without one the process dies of SIGTRAP, after the
// terminal has been given back.
void breakpoint_trap();

// Names the program the held lines speak for: each is written as "name: line". A
// program's main names itself before anything can report; the libraries that report a
// line give only the thing and the reason, whichever program they serve.
void report_as(const char* program_name);

// Holds one line for the user (a missing file, a device that would not open) until the
// process ends, so that it lands on the restored terminal rather than on the show. The
// line is written at once when no terminal is taken over. Lines beyond a fixed budget
// are dropped.
void report_at_exit(std::string_view line);

// Writes the held lines to standard error now. Called on every way out after the
// terminal has been restored; safe in a signal handler.
void flush_exit_reports();
