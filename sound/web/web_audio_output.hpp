#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// Plays a stream through the page's Web Audio context. A timer of the page hands blocks
// over a little ahead of what is heard, each one scheduled right after the one before,
// and reports the heard position as the page works it out from the context (which
// sample frame reaches the listener at which moment of performance.now(), the output's
// latency included), so that the show follows the music as heard, not as computed.
// While a context that has played is suspended (the player paused, or the audio
// interrupted from outside), the position holds where the music stopped, and goes on when
// the music does. Positions count from the first block handed over, wherever in the music
// the stream began; the stream's clock adds where that was.
//
// Until the context plays, the show waits for its music. Where it will not start (no
// sound output, or the browser refuses to play) the page gives up on it after a few
// seconds; then, and for a stream with nothing to hear, the blocks are consumed on real
// time instead, as the silent output does, and the show plays on in silence, still held
// while the player is paused.
class web_audio_output final : public audio_output {
  public:
    web_audio_output(block_source& source, int frames_per_second, const time_source& time,
                     bool audible);
    ~web_audio_output() override;

    web_audio_output(const web_audio_output&) = delete;
    web_audio_output& operator=(const web_audio_output&) = delete;

    void start() override;
    void stop() override;

    // Reports what is heard and hands over what the music needs next.
    void pump();

  private:
    static void on_timer(void* self);
    // Tells the stream what is heard; returns the position heard now, or nothing while a
    // context that has played is stopped.
    std::optional<std::int64_t> report_heard(std::int64_t now);

    block_source& source_;
    const int frames_per_second_;
    const time_source& time_;
    const bool audible_;

    std::vector<std::int16_t> block_;
    std::int64_t started_ns_ = 0;
    std::int64_t last_turn_ns_ = 0;
    std::int64_t heard_last_ns_ = 0;
    std::int64_t silent_since_ns_ = -1;
    std::int64_t frames_handed_over_ = 0;
    long timer_ = 0;
    bool running_ = false;
};
