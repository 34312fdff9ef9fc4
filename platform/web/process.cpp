#include "platform/process.hpp"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/exit_line.hpp"

// A page cannot end its process: the show's end leaves the page's ended state with the
// exit code instead, and the page shows its end screen. The held lines go to the
// browser's console, as standard error does there.

namespace {

std::string held_lines;

// clang-format off
EM_JS(void, page_ended, (int code), {
    Module.page.ended(code);
});

// Emscripten's own way to leave a call for the event loop without an error.
EM_JS(void, unwind_to_event_loop, (), {
    throw 'unwind';
});
// clang-format on

}  // namespace

void report_at_exit(std::string_view line) {
    held_lines += exit_line(line);
}

void flush_exit_reports() {
    std::fputs(held_lines.c_str(), stderr);
    held_lines.clear();
}

void exit_process(int code) {
    emscripten_cancel_main_loop();
    flush_exit_reports();
    std::fflush(nullptr);
    page_ended(code);
    // Nothing of the program may run after this: the stack is unwound to the page's event
    // loop, and the page drops this copy of the program.
    unwind_to_event_loop();
    __builtin_unreachable();
}

void breakpoint_trap() {
    emscripten_debugger();
}
