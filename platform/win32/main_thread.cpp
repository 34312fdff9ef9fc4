#include "platform/win32/main_thread.hpp"

namespace {

const DWORD initial_thread = GetCurrentThreadId();

}  // namespace

DWORD main_thread_id() {
    return initial_thread;
}

void ensure_message_queue() {
    // A thread gets its queue on its first call into the window manager.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
}
