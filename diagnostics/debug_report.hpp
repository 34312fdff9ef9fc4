#pragma once

#include <string>

#include "platform/clock.hpp"

// Turns a failed consistency check into one dated line ("MM/DD/YY HH:MM:SS message") on
// the debugger output and in the debug log. kind, source_file and line identify the check
// at the call site; only the message is written. The caller traps right after it.
void debug_report(int kind, const char* source_file, int line, const char* message);

// Appends text to the debug log, opening it on first use. Failures are ignored: the log
// is a diagnostic aid and must never stop the show.
void debug_log_write(const char* text);

// The line a report writes: the date as month/day/two-digit year, then the time, then the
// message, cut to 1023 characters.
std::string debug_report_line(const local_time& date, const local_time& time, const char* message);
