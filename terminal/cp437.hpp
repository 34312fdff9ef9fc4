#pragma once

#include <cstddef>
#include <cstdint>

// The Unicode character a PC shows for a code page 437 byte.
char32_t cp437_code_point(std::uint8_t code);

// Writes the UTF-8 form of a code point from the Basic Multilingual Plane (at most three
// bytes) to out and returns its length.
std::size_t encode_utf8(char32_t code_point, char* out);

// The plain-ASCII character closest in look to a code page 437 byte, for terminals whose
// character set lacks the real glyph: letters without their accents, + and | for box
// lines, # for solid blocks.
char cp437_ascii_stand_in(std::uint8_t code);
