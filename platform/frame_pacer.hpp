#pragma once

#include <cstdint>

// Paces frames the way a display does: at most one picture per refresh, on a fixed grid
// of refresh times that does not drift with the cost of each frame. After a frame has
// been written, next_slot says when the next one may be; a frame that comes late takes
// the next free slot rather than bunching up with the ones after it.
class frame_pacer {
  public:
    static constexpr std::int64_t refresh_interval_ns = 1'000'000'000 / 60;

    // The time from which the next frame may be written, given that one was just
    // written at `now`.
    std::int64_t next_slot(std::int64_t now);

    // Waits, after a frame has been written to fd, until the terminal has taken its bytes
    // and the next slot has come. Ends early for a signal, so Ctrl+C is seen at once.
    void wait_after_frame(int fd);

    // Forget the grid, after a pause in which no frames could be shown.
    void reset() { started_ = false; }

  private:
    bool started_ = false;
    std::int64_t slot_ = 0;
};
