#include "platform/debug_output.hpp"

#include <unistd.h>
#include <cstring>

#include "platform/posix/held_output.hpp"
#include "platform/posix/terminal_session.hpp"
#include "platform/write_all.hpp"

void debug_output(const char* text) {
    // Standard error points away from the terminal while the show holds it, so the text
    // would be lost; it is held and written once the terminal is back instead.
    if (terminal_session_open()) {
        hold_for_exit(text);
        return;
    }
    write_all(STDERR_FILENO, text, std::strlen(text));
}
