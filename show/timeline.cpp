#include "show/timeline.hpp"

const timeline_entry& timeline_scheduler::select(std::int32_t t) {
    if (!primed_) {
        next_start_ = table_[1].start_ticks;
        primed_ = true;
    }
    if (t > next_start_) {
        ++current_index_;
        next_start_ = current_index_ < timeline_rows - 1 ? table_[current_index_ + 1].start_ticks
                                                         : timeline_end_sentinel;
        if (current_index_ >= timeline_rows - 1) {
            current_index_ = timeline_rows - 1;
        }
    }
    return table_[current_index_];
}

void timeline_scheduler::render(screen_buffer& target, std::int32_t t) {
    const timeline_entry& row = select(t);
    // A row left empty by a failed build shows nothing new rather than crashing.
    if (row.scene != nullptr) {
        render_child(*row.scene, t, target);
    }
}

timeline_table show_timeline{};

namespace {
timeline_scheduler& show_scheduler() {
    static timeline_scheduler scheduler(show_timeline);
    return scheduler;
}
}  // namespace

const timeline_entry& timeline_select(std::int32_t t) {
    return show_scheduler().select(t);
}

void timeline_render(screen_buffer& target, std::int32_t t) {
    show_scheduler().render(target, t);
}
