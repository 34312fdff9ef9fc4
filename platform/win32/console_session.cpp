#include "platform/win32/console_session.hpp"

#include <windows.h>

#include "platform/messages.hpp"
#include "platform/win32/main_thread.hpp"

namespace {

bool active = false;
UINT saved_output_code_page = 0;
CONSOLE_CURSOR_INFO saved_cursor{};
bool cursor_saved = false;
// Set once the console has been given back, so that a window being closed waits for the
// orderly shutdown to finish before the system ends the process.
HANDLE given_back = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI on_console_event(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            post_quit_message();
            return TRUE;
        case CTRL_CLOSE_EVENT:
            // The system ends the process when this returns (or five seconds after the
            // event at the latest); the show uses that time to shut down in order.
            post_quit_message();
            WaitForSingleObject(given_back, 4000);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void console_take_over() {
    // The show's bytes are code page 437 characters whatever the user's console is set to.
    saved_output_code_page = GetConsoleOutputCP();
    SetConsoleOutputCP(437);
    cursor_saved = GetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &saved_cursor) != 0;
    ensure_message_queue();
    SetConsoleCtrlHandler(on_console_event, TRUE);
    ResetEvent(given_back);
    active = true;
}

void console_give_back() {
    if (!active) {
        return;
    }
    active = false;
    if (saved_output_code_page != 0) {
        SetConsoleOutputCP(saved_output_code_page);
    }
    if (cursor_saved) {
        SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &saved_cursor);
    }
    SetEvent(given_back);
}

bool console_session_active() {
    return active;
}
