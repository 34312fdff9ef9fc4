#pragma once

#include <cstdint>

// At most one picture per 1/60 s display refresh, on a fixed grid of refresh times that
// does not drift with the cost of each frame; a late frame takes the next free slot. The
// terminal console paces its frames the same way, so the show's per-frame effects run at
// the same speed on both.
class display_pacer {
  public:
    static constexpr std::int64_t refresh_interval_ns = 1'000'000'000 / 60;

    // Waits, after a frame has been written, until the next slot has come.
    void wait_after_frame();

  private:
    bool started_ = false;
    std::int64_t slot_ = 0;
};
