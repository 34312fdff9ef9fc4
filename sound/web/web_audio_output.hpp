#pragma once

#include <cstdint>
#include <vector>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// Plays a stream through the page's Web Audio context. A timer of the page hands blocks
// over a little ahead of what is heard, each one scheduled right after the one before,
// and reports the heard position: the context's output timestamp (which sample frame
// reaches the listener at which moment of performance.now(), the output's latency
// included), so that the show follows the music as heard, not as computed.
//
// Where the context will not start (no sound output, or the browser refuses to play),
// or for a stream with nothing to hear, the blocks are consumed on real time instead,
// as the silent output does, and the show plays on in silence.
class web_audio_output final : public audio_output {
  public:
    web_audio_output(block_source& source, int frames_per_second, const time_source& time,
                     bool audible);
    ~web_audio_output() override;

    web_audio_output(const web_audio_output&) = delete;
    web_audio_output& operator=(const web_audio_output&) = delete;

    void start() override;
    void stop() override;

    // Reports the heard position and hands blocks over: the timer's work, done at once.
    void pump();

  private:
    static void on_timer(void* self);

    block_source& source_;
    const int frames_per_second_;
    const time_source& time_;
    const bool audible_;

    std::vector<std::int16_t> block_;
    std::int64_t started_ns_ = 0;
    std::int64_t frames_handed_over_ = 0;
    long timer_ = 0;
    bool running_ = false;
};
