#include "terminal/terminal_flow.hpp"

#include <limits>

void terminal_flow::ask(std::int64_t now_ns) {
    asked_at_[(first_ + count_) % most_in_flight] = now_ns;
    ++count_;
}

void terminal_flow::taken_over(std::int64_t now_ns) {
    // Answers to requests sent before were lost with the input they sat in; the screen is
    // drawn anew once the terminal has caught up with the take-over.
    count_ = 0;
    ask(now_ns);
}

void terminal_flow::frame_sent(std::int64_t now_ns) {
    if (!answering_) {
        return;
    }
    // A frame sent because an answer was overdue starts the count afresh: counting the
    // lost answers too would hold the show up for good.
    if (count_ == most_in_flight || (count_ > 0 && now_ns - oldest() >= answer_wait_ns)) {
        count_ = 0;
    }
    ask(now_ns);
}

void terminal_flow::answered(std::size_t answers, std::int64_t now_ns) {
    if (answers == 0) {
        return;
    }
    answering_ = true;
    for (; answers > 0 && count_ > 0; --answers) {
        latest_ns_ = now_ns - oldest();
        if (quickest_ns_ < 0 || latest_ns_ < quickest_ns_) {
            quickest_ns_ = latest_ns_;
        }
        first_ = (first_ + 1) % most_in_flight;
        --count_;
    }
}

bool terminal_flow::busy(std::int64_t now_ns) const {
    if (!answering_ || count_ == 0 || now_ns - oldest() >= answer_wait_ns) {
        return false;
    }
    const std::int64_t unqueued = quickest_ns_ + queue_allowance_ns;
    return count_ == most_in_flight || quickest_ns_ < 0 || latest_ns_ > unqueued ||
           now_ns - oldest() >= unqueued;
}

std::int64_t terminal_flow::wake_at() const {
    return answering_ && count_ > 0 ? oldest() + answer_wait_ns
                                    : std::numeric_limits<std::int64_t>::max();
}
