#include "terminal/terminal_flow.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t ms = 1'000'000;
constexpr std::int64_t answer_wait = terminal_flow::answer_wait_ns;
constexpr std::int64_t allowance = terminal_flow::queue_allowance_ns;

}  // namespace

// A terminal is waited for only once it has answered. Then frames go on while they do not
// queue up on the way (the oldest unanswered one younger than the quickest answer plus
// the allowance, and the latest answer as quick), one at a time once an answer shows a
// queue, an answer that never comes holds the show up for the wait and no longer, and a
// new take-over waits for the terminal to catch up with it.
TEST(terminal_flow, frames_go_while_they_do_not_queue_up_and_the_show_never_sticks) {
    terminal_flow flow;
    flow.taken_over(0);
    flow.frame_sent(1 * ms);
    EXPECT_FALSE(flow.requesting());
    EXPECT_FALSE(flow.busy(2 * ms)) << "a terminal that has not answered is not waited for";

    flow.answered(1, 10 * ms);  // the take-over's answer: a round trip of 10 ms
    ASSERT_TRUE(flow.requesting());
    flow.frame_sent(20 * ms);
    flow.frame_sent(36 * ms);
    EXPECT_FALSE(flow.busy(30 * ms + allowance - 1)) << "two frames on a link with a delay";
    EXPECT_TRUE(flow.busy(30 * ms + allowance)) << "the first frame is queueing up";
    flow.answered(1, 60 * ms);  // the first frame queued up on the way
    EXPECT_TRUE(flow.busy(60 * ms)) << "one frame at a time while frames queue up";
    flow.answered(1, 36 * ms + 10 * ms + allowance + 1);
    EXPECT_EQ(flow.unanswered(), 0U);
    flow.frame_sent(80 * ms);
    EXPECT_TRUE(flow.busy(80 * ms)) << "the latest answer still shows the queue";
    flow.answered(1, 90 * ms);  // through as quickly as the link allows
    flow.frame_sent(100 * ms);
    EXPECT_FALSE(flow.busy(101 * ms)) << "the queue has gone: frames go on again";
    flow.answered(1, 110 * ms);
    EXPECT_EQ(flow.unanswered(), 0U);

    // The answer is lost: the next frame goes once the wait is over, and its own answer
    // is all the show waits for after that.
    flow.frame_sent(100 * ms);
    EXPECT_TRUE(flow.busy(100 * ms + answer_wait - 1));
    EXPECT_EQ(flow.wake_at(), 100 * ms + answer_wait);
    EXPECT_FALSE(flow.busy(100 * ms + answer_wait));
    flow.frame_sent(100 * ms + answer_wait);
    flow.answered(1, 101 * ms + answer_wait);
    EXPECT_EQ(flow.unanswered(), 0U);

    flow.taken_over(5000 * ms);
    EXPECT_TRUE(flow.busy(5000 * ms + 10 * ms + allowance))
        << "the repaint waits for the take-over's answer";
    flow.answered(1, 5060 * ms);
    EXPECT_FALSE(flow.busy(5061 * ms));
}
