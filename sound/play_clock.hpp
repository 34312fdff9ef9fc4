#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

// The play position of one stream, as the listener hears it.
//
// The output says how much music it has handed over and, whenever it learns it, which
// position is heard at which moment (a sound server reports this, a silent output
// knows it). Between reports the position runs on with the time source from the latest
// one; it never goes back and never runs past the music handed over, so a stalled
// device stops the clock instead of letting it race ahead of the music. Once the
// stream's last frames are handed over the cap is lifted: the position goes on with real
// time, so a show longer than its music still reaches its end. While the output says
// nothing is heard (its audio suspended from outside, or paused by a player), the
// position stands still.
//
// A stream that is not playing (still filling before its start, or run dry) is heard no
// further than the music its output has taken in (a sound server's read position): what
// was handed over beyond that waits until the stream plays again, or the picture would
// lead the music after every underrun.
//
// Reports come from the audio thread, readings from the show's thread, hence the lock.
class play_clock {
  public:
    explicit play_clock(int frames_per_second);

    // For a stream that starts later in its music, before anything is handed over: the
    // position starts at `frames`, and the positions the output reports, which count from
    // where it began to play, are taken from there.
    void start_at(std::int64_t frames);

    void handed_over(std::int64_t frames, bool end_of_stream);
    void heard(std::int64_t position_ns, std::int64_t at_ns);
    // As heard(), while the stream is not playing: the position goes no further than
    // `taken_ns` until heard() says the stream plays again.
    void heard_not_playing(std::int64_t position_ns, std::int64_t at_ns, std::int64_t taken_ns);

    // Nothing is heard for now: the position stands at `position_ns`, counted as heard()
    // counts it (or where it already stood, if that was further on), and does not run on
    // until the next heard().
    void hold(std::int64_t position_ns);

    // No more reports will come: the position runs on with real time, uncapped, as after
    // the end of the stream, whether or not the stream was playing.
    void run_on();

    // Nanoseconds from the start of the stream at time `now_ns`; 0 until the first report.
    std::int64_t position_ns(std::int64_t now_ns);

  private:
    void anchor(std::int64_t position_ns, std::int64_t at_ns, std::optional<std::int64_t> taken_ns);

    std::mutex mutex_;
    const int frames_per_second_;
    bool anchored_ = false;
    bool ended_ = false;
    bool holding_ = false;
    std::int64_t start_ns_ = 0;
    std::int64_t anchor_position_ns_ = 0;
    std::int64_t anchor_at_ns_ = 0;
    std::int64_t handed_over_ns_ = 0;
    std::int64_t reported_ns_ = 0;
    std::optional<std::int64_t> taken_ns_;  // set while the stream is not playing
};
