#include "terminal/terminal_flow.hpp"

#include <limits>

void terminal_flow::taken_over(std::int64_t now_ns) {
    if (answering_) {
        // The screen is drawn anew only once the terminal has caught up with the take-over;
        // answers to requests sent before it were lost with the input they sat in.
        unanswered_ = 1;
        asked_at_ = now_ns;
    }
}

void terminal_flow::frame_sent(std::int64_t now_ns) {
    if (!answering_) {
        return;
    }
    // A frame sent because an answer was overdue starts the count afresh: counting the
    // lost answer too would hold the show up for good.
    unanswered_ = 1;
    asked_at_ = now_ns;
}

void terminal_flow::answered(std::size_t answers) {
    if (answers == 0) {
        return;
    }
    answering_ = true;
    unanswered_ = answers >= unanswered_ ? 0 : unanswered_ - answers;
}

bool terminal_flow::busy(std::int64_t now_ns) const {
    return unanswered_ > 0 && now_ns - asked_at_ < answer_wait_ns;
}

std::int64_t terminal_flow::wake_at() const {
    return unanswered_ > 0 ? asked_at_ + answer_wait_ns : std::numeric_limits<std::int64_t>::max();
}
