#include "platform/win32/display_pacer.hpp"

#include "platform/clock.hpp"

void display_pacer::wait_after_frame() {
    const std::int64_t now = monotonic_nanoseconds();
    if (!started_ || now - slot_ > 4 * refresh_interval_ns) {
        // The first frame, or one after a long stall: the grid starts afresh here.
        slot_ = now;
        started_ = true;
    }
    slot_ += refresh_interval_ns;
    if (slot_ <= now) {
        slot_ += ((now - slot_) / refresh_interval_ns + 1) * refresh_interval_ns;
    }
    sleep_until_nanoseconds(slot_);
}
