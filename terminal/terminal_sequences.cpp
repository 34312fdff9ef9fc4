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

std::string terminal_restore_sequence(const terminal_caps& with) {
    // What the terminal was in the middle of when its output was cut off is unknown: CAN
    // ends any sequence or character in progress, so the rest is read as it is.
    // Synchronized output is switched off next in case the process dies inside a frame;
    // the title is popped before the screen switch so the shell's title comes back. The
    // cursor is shown last: some terminals (libvterm) bring back with the main screen the
    // visibility saved when the alternate one was entered, which is "hidden" if the
    // take-over came twice or, discarded unread by a flush, never came at all.
    std::string bytes = "\x18\x1b[?2026l" + with.reset_colours;
    if (with.titles) {
        bytes += "\x1b[23;0t";
    }
    bytes += with.leave_screen;
    bytes += with.show_cursor;
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
