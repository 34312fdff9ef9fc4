#include "platform/messages.hpp"

// A page has no quit message: it ends the show with Escape, at the last scene, or by
// being closed, none of which goes through a queue. The queue is always empty.

bool peek_message(message&) {
    return false;
}

int get_message(message& out) {
    out = {};
    return 1;
}

void translate_message(const message&) {}

void dispatch_message(const message&) {}

void post_quit_message() {}
