#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "terminal/terminal_caps.hpp"

// The most bytes one of these sequences takes; the console keeps them in fixed buffers so
// that a signal handler can send them.
inline constexpr std::size_t terminal_sequence_limit = 512;

// A device status request: the terminal answers CSI 0 n once it has parsed everything
// sent before it.
inline constexpr std::string_view terminal_status_request = "\x1b[5n";

// The bytes that take a terminal of these capabilities over and that set its title, as
// the session sends them; a recording of the show starts with them just as a terminal
// would see them.
std::string terminal_take_over_sequence(const terminal_caps& with);
// The bytes that give it back, whatever it was in the middle of and whatever of the
// take-over it saw.
std::string terminal_restore_sequence(const terminal_caps& with);
std::string terminal_title_sequence(const char* title);
