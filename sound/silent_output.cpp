#include "sound/silent_output.hpp"

#include <algorithm>
#include <chrono>

namespace {

// Ten milliseconds of sound per block: wake-ups stay rare, and a block is short enough
// that the DSP units see the music in the same steps a device would give them.
constexpr int blocks_per_second = 100;

// A wake-up this late means the process was held up; the missed time is not made up.
constexpr std::int64_t stall_ns = 200'000'000;

}  // namespace

silent_output::silent_output(block_source& source, int frames_per_second, const time_source& time,
                             pacing how)
    : source_(source),
      frames_per_second_(frames_per_second),
      block_frames_(std::max(1, frames_per_second / blocks_per_second)),
      time_(time),
      pacing_(how),
      block_(static_cast<std::size_t>(block_frames_)) {}

silent_output::~silent_output() {
    stop();
}

std::int64_t silent_output::due_ns(std::int64_t frames) const {
    return schedule_start_ns_ + frames * 1'000'000'000 / frames_per_second_;
}

void silent_output::start() {
    // The first blocks go at once, so the position runs from the moment of the call.
    schedule_start_ns_ = time_.now_ns();
    pump(schedule_start_ns_);
    if (pacing_ == pacing::own_thread) {
        thread_ = std::thread([this] { run(); });
    }
}

void silent_output::stop() {
    {
        std::lock_guard lock(mutex_);
        stop_requested_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::int64_t silent_output::pump(std::int64_t now_ns) {
    if (now_ns - due_ns(frames_handed_over_) > stall_ns) {
        schedule_start_ns_ = now_ns - (due_ns(frames_handed_over_) - schedule_start_ns_);
    }
    // A block is wanted once the one before it starts to be heard.
    while (!source_.finished() && due_ns(frames_handed_over_ - block_frames_) <= now_ns) {
        source_.fill(block_.data(), block_frames_);
        source_.heard(due_ns(frames_handed_over_) - schedule_start_ns_,
                      due_ns(frames_handed_over_));
        frames_handed_over_ += block_frames_;
    }
    return due_ns(frames_handed_over_ - block_frames_);
}

void silent_output::run() {
    std::unique_lock lock(mutex_);
    while (!stop_requested_ && !source_.finished()) {
        const std::int64_t next = pump(time_.now_ns());
        const std::int64_t wait_ns = std::max<std::int64_t>(0, next - time_.now_ns());
        wake_.wait_for(lock, std::chrono::nanoseconds(wait_ns), [this] { return stop_requested_; });
    }
}
