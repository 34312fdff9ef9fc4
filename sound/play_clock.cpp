#include "sound/play_clock.hpp"

#include <algorithm>

play_clock::play_clock(int frames_per_second) : frames_per_second_(frames_per_second) {}

void play_clock::start_at(std::int64_t frames) {
    std::lock_guard lock(mutex_);
    start_ns_ = frames * 1'000'000'000 / frames_per_second_;
    handed_over_ns_ = start_ns_;
    reported_ns_ = start_ns_;
}

void play_clock::handed_over(std::int64_t frames, bool end_of_stream) {
    std::lock_guard lock(mutex_);
    if (ended_) {
        return;
    }
    handed_over_ns_ = frames * 1'000'000'000 / frames_per_second_;
    ended_ = end_of_stream;
}

void play_clock::heard(std::int64_t position_ns, std::int64_t at_ns) {
    std::lock_guard lock(mutex_);
    anchor(position_ns, at_ns, std::nullopt);
}

void play_clock::heard_not_playing(std::int64_t position_ns, std::int64_t at_ns,
                                   std::int64_t taken_ns) {
    std::lock_guard lock(mutex_);
    anchor(position_ns, at_ns, taken_ns);
}

void play_clock::anchor(std::int64_t position_ns, std::int64_t at_ns,
                        std::optional<std::int64_t> taken_ns) {
    anchored_ = true;
    holding_ = false;
    anchor_position_ns_ = start_ns_ + position_ns;
    anchor_at_ns_ = at_ns;
    taken_ns_ = taken_ns;
}

void play_clock::hold(std::int64_t position_ns) {
    std::lock_guard lock(mutex_);
    anchored_ = true;
    holding_ = true;
    anchor_position_ns_ = start_ns_ + position_ns;
}

void play_clock::run_on() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    taken_ns_.reset();
}

std::int64_t play_clock::position_ns(std::int64_t now_ns) {
    std::lock_guard lock(mutex_);
    if (!anchored_) {
        return reported_ns_;
    }
    std::int64_t position = anchor_position_ns_;
    if (!holding_) {
        position += now_ns - anchor_at_ns_;
    }
    if (!ended_) {
        position = std::min(position, handed_over_ns_);
    }
    if (taken_ns_) {
        position = std::min(position, *taken_ns_);
    }
    reported_ns_ = std::max(reported_ns_, position);
    return reported_ns_;
}
