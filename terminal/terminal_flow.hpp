#pragma once

#include <cstddef>
#include <cstdint>

// How far the terminal has got with what the show sent, from its own answers. A status
// request after each frame is answered once the terminal has parsed the frame; while one
// is unanswered the terminal is busy and the show sends nothing more, so that over a slow
// link only the latest picture travels and nothing queues up on the way.
//
// Whether the terminal answers at all is found out from one request sent with the
// take-over bytes. Until an answer comes, frames go out without requests, as to any
// terminal, so a terminal that never answers sees the show as it always was; the first
// answer, however late, switches the requests on. An answer that never comes (a terminal
// reset, a lost byte) holds the show up for answer_wait_ns, after which the next frame
// goes out with a new request.
class terminal_flow {
  public:
    static constexpr std::int64_t answer_wait_ns = 2'000'000'000;

    // A request went out with the take-over bytes.
    void taken_over(std::int64_t now_ns);
    // A frame went out, followed by a request when requesting() said so.
    void frame_sent(std::int64_t now_ns);
    void answered(std::size_t answers);

    bool requesting() const { return answering_; }
    // A frame is on its way and the terminal has not said it has it.
    bool busy(std::int64_t now_ns) const;
    // When busy ends by time alone; the largest time when it cannot.
    std::int64_t wake_at() const;

  private:
    bool answering_ = false;
    std::size_t unanswered_ = 0;
    std::int64_t asked_at_ = 0;
};
