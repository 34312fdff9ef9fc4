#include "platform/process.hpp"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/exit_line.hpp"
#include "platform/win32/console_session.hpp"

namespace {

// Lines for the user wait here until the process ends, so that they are not drawn over
// by the next frame; a handful of one-line messages fits many times over.
std::mutex held_mutex;
std::string held_lines;
constexpr std::size_t held_budget = 8192;

void flush_at_normal_exit() {
    console_give_back();
    flush_exit_reports();
}

}  // namespace

void report_at_exit(std::string_view line) {
    const std::lock_guard guard(held_mutex);
    static const bool registered = std::atexit(flush_at_normal_exit) == 0;
    (void)registered;
    const std::string text = exit_line(line);
    if (!console_session_active()) {
        std::fputs(text.c_str(), stderr);
        return;
    }
    if (held_lines.size() + text.size() > held_budget) {
        return;
    }
    held_lines += text;
}

void flush_exit_reports() {
    std::string lines;
    {
        const std::lock_guard guard(held_mutex);
        lines.swap(held_lines);
    }
    if (lines.empty()) {
        return;
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), lines.data(), static_cast<DWORD>(lines.size()),
              &written, nullptr);
}

void exit_process(int code) {
    console_give_back();
    flush_exit_reports();
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(code));
}

void breakpoint_trap() {
    DebugBreak();
}
