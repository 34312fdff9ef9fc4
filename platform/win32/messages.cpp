#include "platform/messages.hpp"

#include <windows.h>

#include "platform/win32/main_thread.hpp"

namespace {

// The message last looked at or taken, kept whole for TranslateMessage and
// DispatchMessageA, which need more of it than the frame loop reads.
thread_local MSG last_message{};

message as_message(const MSG& msg) {
    return {msg.message, static_cast<std::uintptr_t>(msg.wParam)};
}

}  // namespace

bool peek_message(message& out) {
    if (!PeekMessageA(&last_message, nullptr, 0, 0, PM_NOREMOVE)) {
        return false;
    }
    out = as_message(last_message);
    return true;
}

int get_message(message& out) {
    const BOOL result = GetMessageA(&last_message, nullptr, 0, 0);
    out = as_message(last_message);
    return static_cast<int>(result);
}

void translate_message(const message&) {
    TranslateMessage(&last_message);
}

void dispatch_message(const message&) {
    DispatchMessageA(&last_message);
}

void post_quit_message() {
    // Ctrl+C and the closing of the console window arrive on a thread of their own; the
    // quit message must reach the queue the frame loop reads.
    PostThreadMessageA(main_thread_id(), WM_QUIT, 0, 0);
}
