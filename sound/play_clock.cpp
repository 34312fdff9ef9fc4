#include "sound/play_clock.hpp"

#include <algorithm>

play_clock::play_clock(int frames_per_second) : frames_per_second_(frames_per_second) {}

std::int64_t play_clock::frames_to_ns(std::int64_t frames) const {
    return frames * 1'000'000'000 / frames_per_second_;
}

void play_clock::handed_over(std::int64_t frames_before, std::int64_t frames,
                             std::int64_t heard_at_ns, bool end_of_stream) {
    std::lock_guard lock(mutex_);
    // Past the end the device only gets silence; the position keeps running from the
    // last block that carried music.
    if (ended_) {
        return;
    }
    anchored_ = true;
    anchor_position_ns_ = frames_to_ns(frames_before);
    anchor_heard_at_ns_ = heard_at_ns;
    handed_over_ns_ = frames_to_ns(frames_before + frames);
    ended_ = end_of_stream;
}

std::int64_t play_clock::position_ns(std::int64_t now_ns) {
    std::lock_guard lock(mutex_);
    if (!anchored_) {
        return reported_ns_;
    }
    std::int64_t position = anchor_position_ns_ + (now_ns - anchor_heard_at_ns_);
    if (!ended_) {
        position = std::min(position, handed_over_ns_);
    }
    reported_ns_ = std::max(reported_ns_, position);
    return reported_ns_;
}
