#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// Plays a stream into nothing at wall-clock pace: where there is no sound device the
// blocks are still consumed, the DSP units still run and the play position advances as
// if someone were listening.
//
// Blocks are handed over one block ahead of the time they fall due, the way a device
// keeps a buffer queued, so the position never waits for a late wake-up. After a long
// stall (the process was stopped) the schedule starts afresh from the present instead of
// rushing through the missed blocks.
class silent_output final : public audio_output {
  public:
    enum class pacing { own_thread, by_caller };

    silent_output(block_source& source, int frames_per_second, const time_source& time, pacing how);
    ~silent_output() override;

    void start() override;
    void stop() override;

    // Hands over every block whose turn has come at `now_ns` and returns when the next one
    // is wanted. With pacing::by_caller this is how a test moves playback along.
    std::int64_t pump(std::int64_t now_ns);

    int block_frames() const { return block_frames_; }

  private:
    std::int64_t due_ns(std::int64_t frames) const;
    void run();

    block_source& source_;
    const int frames_per_second_;
    const int block_frames_;
    const time_source& time_;
    const pacing pacing_;

    std::vector<std::int16_t> block_;
    std::int64_t schedule_start_ns_ = 0;
    std::int64_t frames_handed_over_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_requested_ = false;
    std::thread thread_;
};
