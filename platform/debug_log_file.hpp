#pragma once

#include <cstddef>

// The file the debug log is appended to. On Windows it is "C:\debugansi.log"; where there
// is no drive C:, the file lies in the user's state folder. Opening creates the file when
// it is missing and appends to one that exists.

inline constexpr int debug_log_closed = -1;

// A handle for appending, or debug_log_closed when the file cannot be opened.
int debug_log_open();

// Writes all of text, retrying short writes; errors are ignored.
void debug_log_append(int handle, const char* text, std::size_t length);
