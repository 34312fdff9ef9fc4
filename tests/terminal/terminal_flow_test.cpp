#include "terminal/terminal_flow.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t ms = 1'000'000;
constexpr std::int64_t answer_wait = terminal_flow::answer_wait_ns;

}  // namespace

// A terminal is waited for only once it has answered; then one frame at a time, an
// answer that never comes holds the show up for the wait and no longer, and a new
// take-over waits for the terminal to catch up with it.
TEST(terminal_flow, one_frame_at_a_time_once_the_terminal_answers_and_never_stuck) {
    terminal_flow flow;
    flow.taken_over(0);
    flow.frame_sent(1 * ms);
    EXPECT_FALSE(flow.requesting());
    EXPECT_FALSE(flow.busy(2 * ms)) << "a terminal that has not answered is not waited for";

    flow.answered(1);
    ASSERT_TRUE(flow.requesting());
    flow.frame_sent(10 * ms);
    EXPECT_TRUE(flow.busy(10 * ms + answer_wait - 1));
    flow.answered(1);
    EXPECT_FALSE(flow.busy(11 * ms));

    // The answer is lost: the next frame goes once the wait is over, and its own answer
    // is all the show waits for after that.
    flow.frame_sent(20 * ms);
    EXPECT_EQ(flow.wake_at(), 20 * ms + answer_wait);
    EXPECT_FALSE(flow.busy(20 * ms + answer_wait));
    flow.frame_sent(20 * ms + answer_wait);
    flow.answered(1);
    EXPECT_FALSE(flow.busy(21 * ms + answer_wait));

    flow.taken_over(5000 * ms);
    EXPECT_TRUE(flow.busy(5001 * ms)) << "the repaint waits for the take-over's answer";
    flow.answered(1);
    EXPECT_FALSE(flow.busy(5002 * ms));
}
