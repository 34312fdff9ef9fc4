#pragma once

#include <string>
#include <string_view>

#include "base/result.hpp"
#include "show/screen_buffer.hpp"

// A screen in a form a person can read and diff: 25 lines of 80 code page 437 glyphs in
// UTF-8, an empty line, 25 lines of 80 foreground colour digits (hex), an empty line, and
// 25 lines of 80 background colour digits. Character 0x00 is written as "␀" and 0xFF as
// "⍽", so that neither is mistaken for a space.
std::string screen_to_text(const screen_buffer& screen);

// Reads that form back. A malformed text fails with its first fault, naming its line
// ("line 7: 79 glyphs, expected 80").
result<screen_buffer> screen_from_text(std::string_view text);
