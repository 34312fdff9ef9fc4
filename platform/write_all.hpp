#pragma once

#include <cstddef>

// Writes every byte, going on after partial writes and interrupted calls, and waiting for
// room on a descriptor that does not block; false when the descriptor refuses (a hung-up
// terminal, say). Safe in a signal handler.
bool write_all(int fd, const char* bytes, std::size_t length);
