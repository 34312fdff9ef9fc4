#pragma once

#include <cstdint>

// Paces frames the way a display does: at most one picture per 1/60 s refresh, on a
// fixed grid of refresh times that does not drift with the cost of each frame. After a
// frame has been written, next_slot says when the next one may be; a frame that comes
// late takes the next free slot rather than bunching up with the ones after it. Every
// console paces its frames by this one rule, so the show's per-frame effects run at the
// same speed on each; only the waiting for the slot is each system's own.
class frame_pacer {
  public:
    static constexpr std::int64_t refresh_interval_ns = 1'000'000'000 / 60;

    // The time from which the next frame may be written, given that one was just
    // written at `now`.
    std::int64_t next_slot(std::int64_t now);

  private:
    bool started_ = false;
    std::int64_t slot_ = 0;
};
