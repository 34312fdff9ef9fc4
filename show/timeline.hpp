#pragma once

#include <array>
#include <cstdint>

#include "show/effect.hpp"
#include "show/screen_buffer.hpp"

struct timeline_entry {
    std::int32_t start_ticks = 0;
    effect* scene = nullptr;
};

inline constexpr int timeline_rows = 20;
inline constexpr std::int32_t timeline_end_sentinel = 3600000;

using timeline_table = std::array<timeline_entry, timeline_rows>;

// Picks the current row of a table for a frame's tick value. It moves forward only and
// at most one row per call, so every row passed over after a long frame is still the
// scene of exactly one frame, which starts its effect's clock.
class timeline_scheduler {
  public:
    explicit timeline_scheduler(const timeline_table& table) : table_(table) {}

    const timeline_entry& select(std::int32_t t);
    void render(screen_buffer& target, std::int32_t t);

    int current_index() const { return current_index_; }
    std::int32_t next_start() const { return next_start_; }

  private:
    const timeline_table& table_;
    int current_index_ = 0;
    std::int32_t next_start_ = 0;
    // The next start is read at the first call, not at construction, so that it sees the
    // rows as the show composition has filled them.
    bool primed_ = false;
};

// The show's one table and its one scheduler, driven by the frame loop.
extern timeline_table show_timeline;
const timeline_entry& timeline_select(std::int32_t t);
void timeline_render(screen_buffer& target, std::int32_t t);
