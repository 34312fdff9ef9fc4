#include "platform/frame_pacer.hpp"

std::int64_t frame_pacer::next_slot(std::int64_t now) {
    if (!started_ || now - slot_ > 4 * refresh_interval_ns) {
        // The first frame, or one after a long stall (a suspended process, a terminal
        // that stopped reading): the grid starts afresh here.
        slot_ = now;
        started_ = true;
    }
    slot_ += refresh_interval_ns;
    if (slot_ <= now) {
        const std::int64_t missed = (now - slot_) / refresh_interval_ns + 1;
        slot_ += missed * refresh_interval_ns;
    }
    return slot_;
}
