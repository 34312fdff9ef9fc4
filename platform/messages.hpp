#pragma once

#include <cstdint>

// The thread's message queue, as far as the frame loop needs one: on a terminal the only
// message that ever arrives is the quit message that Ctrl+C, SIGTERM or a hang-up post.
inline constexpr std::uint32_t wm_quit = 0x0012;
inline constexpr std::uint32_t wm_keydown = 0x0100;

struct message {
    std::uint32_t id = 0;
    std::uintptr_t wparam = 0;
};

// Looks at the next message without taking it; false when the queue is empty.
bool peek_message(message& out);

// Takes the next message; 0 when it is the quit message.
int get_message(message& out);

void translate_message(const message& msg);
void dispatch_message(const message& msg);

// Queues the quit message. Safe to call from a signal handler.
void post_quit_message();
