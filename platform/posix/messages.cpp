#include "platform/messages.hpp"

#include <csignal>

namespace {

// The only message a terminal program receives; a signal handler may set it at any time.
volatile std::sig_atomic_t quit_posted = 0;

}  // namespace

bool peek_message(message& out) {
    if (quit_posted == 0) {
        return false;
    }
    out = {wm_quit, 0};
    return true;
}

int get_message(message& out) {
    if (quit_posted != 0) {
        quit_posted = 0;
        out = {wm_quit, 0};
        return 0;
    }
    // Nothing else is ever queued; an empty queue reads as a harmless null message.
    out = {};
    return 1;
}

void translate_message(const message&) {}

void dispatch_message(const message&) {}

void post_quit_message() {
    quit_posted = 1;
}
