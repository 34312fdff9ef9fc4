#pragma once

#include <cstdint>
#include <mutex>

// The play position of one stream, as the listener hears it.
//
// An output reports each block it hands to the device: how many frames came before it
// and when its first frame will be heard. Between two such reports the position runs on
// with the time source, from the latest block's start; it never goes back and never runs
// past the frames handed over, so a late device stalls the clock instead of letting it
// race ahead of the music. Once the stream's last frames are handed over the cap is
// lifted: the position goes on with real time, so a show longer than its music still
// reaches its end.
//
// Reports come from the audio thread, readings from the show's thread, hence the lock.
class play_clock {
  public:
    explicit play_clock(int frames_per_second);

    void handed_over(std::int64_t frames_before, std::int64_t frames, std::int64_t heard_at_ns,
                     bool end_of_stream);

    // Nanoseconds from the start of the stream at time `now_ns`; 0 before the first block.
    std::int64_t position_ns(std::int64_t now_ns);

  private:
    std::int64_t frames_to_ns(std::int64_t frames) const;

    std::mutex mutex_;
    const int frames_per_second_;
    bool anchored_ = false;
    bool ended_ = false;
    std::int64_t anchor_position_ns_ = 0;
    std::int64_t anchor_heard_at_ns_ = 0;
    std::int64_t handed_over_ns_ = 0;
    std::int64_t reported_ns_ = 0;
};
