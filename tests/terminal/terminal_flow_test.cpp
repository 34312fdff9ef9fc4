#include "terminal/terminal_flow.hpp"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t ms = 1'000'000;
constexpr std::int64_t answer_wait = terminal_flow::answer_wait_ns;
constexpr std::int64_t allowance = terminal_flow::queue_allowance_ns;

// A terminal that answered the take-over's request after a round trip of 10 ms: the
// quickest answer so far, against which every later one is judged.
class answering_terminal_flow : public ::testing::Test {
  protected:
    void SetUp() override {
        flow.taken_over(0);
        flow.answered(1, 10 * ms);
        ASSERT_TRUE(flow.requesting());
    }

    // Two frames on their way; the first one's answer, at 60 ms, took 40 ms: it queued
    // up on the way.
    void two_frames_and_a_queued_answer() {
        flow.frame_sent(20 * ms);
        flow.frame_sent(36 * ms);
        flow.answered(1, 60 * ms);
    }

    terminal_flow flow;
};

}  // namespace

TEST(terminal_flow, a_terminal_that_has_not_answered_is_not_waited_for) {
    terminal_flow flow;
    flow.taken_over(0);
    flow.frame_sent(1 * ms);
    EXPECT_FALSE(flow.requesting());
    EXPECT_FALSE(flow.busy(2 * ms));
    EXPECT_FALSE(flow.busy(answer_wait - 1));
    // The first answer, however late, switches the requests on.
    flow.answered(1, 3 * answer_wait);
    EXPECT_TRUE(flow.requesting());
}

TEST_F(answering_terminal_flow,
       frames_go_on_while_the_oldest_is_younger_than_a_round_trip_and_allowance) {
    flow.frame_sent(20 * ms);
    flow.frame_sent(36 * ms);
    EXPECT_EQ(flow.unanswered(), 2U);
    EXPECT_FALSE(flow.busy(30 * ms + allowance - 1)) << "two frames on a link with a delay";
    EXPECT_TRUE(flow.busy(30 * ms + allowance)) << "the first frame is queueing up";
}

TEST_F(answering_terminal_flow, once_an_answer_shows_a_queue_one_frame_travels_at_a_time) {
    two_frames_and_a_queued_answer();
    EXPECT_TRUE(flow.busy(60 * ms)) << "the second frame is still on its way";
    // The second answer is quicker, but still longer than a round trip and the allowance.
    flow.answered(1, 36 * ms + 10 * ms + allowance + 1);
    EXPECT_EQ(flow.unanswered(), 0U);
    flow.frame_sent(80 * ms);
    EXPECT_TRUE(flow.busy(80 * ms)) << "the latest answer still shows the queue";
}

TEST_F(answering_terminal_flow,
       frames_go_on_again_once_an_answer_comes_as_quickly_as_the_link_allows) {
    two_frames_and_a_queued_answer();
    flow.answered(1, 36 * ms + 10 * ms + allowance + 1);
    flow.frame_sent(80 * ms);
    flow.answered(1, 90 * ms);
    flow.frame_sent(100 * ms);
    EXPECT_FALSE(flow.busy(101 * ms)) << "the queue has gone";
    flow.answered(1, 110 * ms);
    EXPECT_EQ(flow.unanswered(), 0U);
}

// The answer is lost: the next frame goes once the wait is over, and its own answer is
// all the show waits for after that.
TEST_F(answering_terminal_flow, a_lost_answer_holds_the_show_up_for_the_wait_and_no_longer) {
    flow.frame_sent(100 * ms);
    EXPECT_TRUE(flow.busy(100 * ms + answer_wait - 1));
    EXPECT_EQ(flow.wake_at(), 100 * ms + answer_wait);
    EXPECT_FALSE(flow.busy(100 * ms + answer_wait));
    flow.frame_sent(100 * ms + answer_wait);
    EXPECT_EQ(flow.unanswered(), 1U) << "the lost answer is no longer counted";
    flow.answered(1, 101 * ms + answer_wait);
    EXPECT_EQ(flow.unanswered(), 0U);
    EXPECT_FALSE(flow.busy(102 * ms + answer_wait));
}

TEST_F(answering_terminal_flow, a_new_take_over_waits_for_the_terminal_to_catch_up_with_it) {
    flow.taken_over(5000 * ms);
    EXPECT_TRUE(flow.busy(5000 * ms + 10 * ms + allowance))
        << "the repaint waits for the take-over's answer";
    flow.answered(1, 5060 * ms);
    EXPECT_FALSE(flow.busy(5061 * ms));
}
