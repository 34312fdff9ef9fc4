#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// How far the terminal has got with what the show sent, from its own answers. A status
// request after each frame is answered once the terminal has parsed the frame, so the
// time an answer takes is the link's round trip plus the time the frame waited on the
// way. Frames go on while the oldest unanswered one has waited no longer than the
// quickest answer so far plus queue_allowance_ns, and the latest answer came as quickly:
// over a link with a long delay several frames travel at once and the picture keeps its
// rate, while over a slow link, where a frame takes longer to get through than the
// allowance, the latest answer shows the queue and one frame travels at a time. Either
// way the show sends the frame of the current moment when the terminal has caught up.
// Frames are skipped, never queued.
//
// Whether the terminal answers at all is found out from one request sent with the
// take-over bytes. Until an answer comes, frames go out without requests, as to any
// terminal, so a terminal that never answers sees the show as it always was; the first
// answer, however late, switches the requests on. An answer that never comes (a terminal
// reset, a lost byte) holds the show up for answer_wait_ns, after which the next frame
// goes out and only its answer is waited for.
class terminal_flow {
  public:
    static constexpr std::int64_t answer_wait_ns = 2'000'000'000;
    static constexpr std::int64_t queue_allowance_ns = 20'000'000;
    static constexpr std::size_t most_in_flight = 32;

    // A request went out with the take-over bytes.
    void taken_over(std::int64_t now_ns);
    // A frame went out, followed by a request when requesting() said so.
    void frame_sent(std::int64_t now_ns);
    void answered(std::size_t answers, std::int64_t now_ns);

    bool requesting() const { return answering_; }
    // The answers still to come from a terminal that answers.
    std::size_t unanswered() const { return answering_ ? count_ : 0; }
    // The terminal has not caught up: no frame may go now.
    bool busy(std::int64_t now_ns) const;
    // When busy ends by time alone; the largest time when it cannot.
    std::int64_t wake_at() const;

  private:
    void ask(std::int64_t now_ns);
    std::int64_t oldest() const { return asked_at_[first_]; }

    bool answering_ = false;
    std::array<std::int64_t, most_in_flight> asked_at_{};  // a ring of the unanswered
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    std::int64_t quickest_ns_ = -1;  // the quickest answer so far; -1 before the first
    std::int64_t latest_ns_ = -1;    // how long the latest answer took
};
