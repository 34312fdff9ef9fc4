#pragma once

#include "base/result.hpp"
#include "terminal/terminal_caps.hpp"

// Only terminals have terminfo descriptions, so this service is implemented for POSIX
// alone (posix/terminal_description.cpp): the Windows console and the page have no TERM
// to read, and nothing built for them includes this header.
//
// Reads what a terminal can show from its terminfo description (the one TERM names) and
// the character set of the locale. A terminal that cannot move its cursor cannot show a
// picture at all: a failure that says so in a few words.
result<terminal_caps> read_terminal_caps(int fd);
// The same for a terminal named here rather than by TERM; fd may be -1 when there is no
// such terminal at hand, as for a recording made for one.
result<terminal_caps> read_terminal_caps_of(const char* term, int fd);
