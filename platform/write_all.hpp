#pragma once

#include <cstddef>

// Writing to a file descriptor, for the systems that have them (the POSIX and web builds;
// posix/write_all.cpp): the terminal, the debug log, standard error and pipes all go
// through these. Windows writes through its handles and has no use for them.

// Writes what the descriptor takes now, going on after partial writes and interrupted
// calls: the count written, short of `length` when a descriptor that does not block is
// full, or -1 when the descriptor refuses (a hung-up terminal, say). Safe in a signal
// handler.
long write_now(int fd, const char* bytes, std::size_t length);

// Writes every byte, waiting for room on a descriptor that does not block; false when the
// descriptor refuses. Safe in a signal handler.
bool write_all(int fd, const char* bytes, std::size_t length);
