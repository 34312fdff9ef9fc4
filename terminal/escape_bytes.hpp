#pragma once

#include <cstdint>
#include <string>

// The control sequences the frame encoder sends, each with the number of bytes it costs,
// so that the encoder can weigh one way of drawing against another before it writes.

// CSI n final, with n left out where it is the default of 1.
int csi_cost(int n);
void append_csi(int n, char final, std::string& out);
void append_number(int value, std::string& out);
int decimal_digits(int value);

// The SGR that changes the colours from attribute `from` (-1 when not known) to `to`:
// only the colour that differs, when only one does. Nothing when they are the same.
int sgr_cost(int from, int to);
void append_sgr(int from, int to, std::string& out);

// The SGR parameters for an attribute byte: foreground then background, bright colours
// as 90-97 and 100-107 (bit 7 is a bright background, never blinking).
std::string sgr_for_attribute(std::uint8_t attribute);

// REP: `count` more copies of the glyph written just before.
int repeat_cost(int count);
