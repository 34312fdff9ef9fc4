#include "platform/terminal_description.hpp"

#include <langinfo.h>
#include <term.h>

#include <clocale>
#include <cstdlib>
#include "platform/posix/locale_glyphs.hpp"

namespace {

// terminfo marks a missing string as null and a cancelled one as (char*)-1.
std::string string_cap(const char* name) {
    const char* value = tigetstr(name);
    if (value == nullptr || value == reinterpret_cast<char*>(-1)) {
        return {};
    }
    return value;
}

bool flag_cap(const char* name) {
    return tigetflag(name) > 0;
}

}  // namespace

result<terminal_caps> read_terminal_caps(int fd) {
    return read_terminal_caps_of(std::getenv("TERM"), fd);
}

result<terminal_caps> read_terminal_caps_of(const char* term, int fd) {
    const std::string name = term != nullptr && *term != '\0' ? term : "(unset)";
    int found = 0;
    // setupterm with a place for its result never prints; 0 means no description, or a
    // generic one (dumb) that knows nothing of cursor movement.
    if (term == nullptr || *term == '\0' || setupterm(term, fd, &found) != 0 || found != 1) {
        return failure("the terminal TERM=" + name +
                       " has no terminfo description that can move the cursor");
    }
    if (string_cap("cup").empty()) {
        return failure("the terminal TERM=" + name + " cannot move its cursor");
    }
    terminal_caps caps;
    caps.colours = tigetnum("colors") > 0 ? tigetnum("colors") : 0;
    if (string_cap("setaf").empty() && string_cap("setf").empty()) {
        caps.colours = 0;
    }
    caps.repeats = !string_cap("rep").empty();
    // xterm's descriptions carry the XT flag; tmux and others name a status line that is
    // the window title.
    caps.titles = flag_cap("XT") || !string_cap("tsl").empty();
    caps.enter_screen = string_cap("smcup");
    caps.leave_screen = string_cap("rmcup");
    if (caps.leave_screen.empty()) {
        // Without a second screen the picture would stay under the shell's prompt.
        caps.leave_screen = string_cap("clear");
    }
    caps.hide_cursor = string_cap("civis");
    caps.show_cursor = string_cap("cnorm");
    caps.reset_colours = string_cap("sgr0");
    if (caps.reset_colours.empty()) {
        caps.reset_colours = caps.colours > 0 ? "\x1b[0m" : "";
    }
    std::setlocale(LC_CTYPE, "");
    caps.glyphs = glyphs_for_codeset(nl_langinfo(CODESET));
    return caps;
}
