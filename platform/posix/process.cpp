#include "platform/process.hpp"

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/exit_line.hpp"
#include "platform/posix/held_output.hpp"
#include "platform/posix/terminal_session.hpp"
#include "platform/write_all.hpp"

namespace {

// Held lines live in a fixed buffer so that a signal handler can write them without
// allocating; a handful of one-line messages fits many times over.
char held_lines[8192];
volatile std::size_t held_length = 0;
std::mutex held_mutex;

void flush_at_normal_exit() {
    flush_exit_reports();
}

}  // namespace

void hold_for_exit(std::string_view text) {
    const std::lock_guard guard(held_mutex);
    static const bool registered = std::atexit(flush_at_normal_exit) == 0;
    (void)registered;
    const std::size_t length = held_length;
    if (length + text.size() > sizeof held_lines) {
        return;
    }
    std::memcpy(held_lines + length, text.data(), text.size());
    held_length = length + text.size();
}

void report_at_exit(std::string_view line) {
    hold_for_exit(exit_line(line));
}

void flush_exit_reports() {
    const std::size_t length = held_length;
    held_length = 0;
    write_all(STDERR_FILENO, held_lines, length);
}

void exit_process(int code) {
    terminal_restore();
    flush_exit_reports();
    std::fflush(nullptr);
    _exit(code);
}

void breakpoint_trap() {
    std::raise(SIGTRAP);
}
