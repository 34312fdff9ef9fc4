#include "terminal/terminal_sequences.hpp"

std::string terminal_take_over_sequence(const terminal_caps& with) {
    std::string bytes = with.enter_screen + with.hide_cursor;
    if (with.titles) {
        bytes += "\x1b[22;0t";
    }
    bytes += with.reset_colours;
    bytes += "\x1b[2J";
    return bytes;
}

std::string terminal_title_sequence(const char* title) {
    // Control characters in a title would end the sequence early or start another one.
    std::string bytes = "\x1b]2;";
    for (const char* c = title; *c != '\0' && bytes.size() < terminal_sequence_limit - 2; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        bytes += (byte < 0x20 || byte == 0x7F) ? ' ' : *c;
    }
    bytes += '\x07';
    return bytes;
}
