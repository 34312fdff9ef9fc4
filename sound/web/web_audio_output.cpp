#include "sound/web/web_audio_output.hpp"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>
#include <optional>

namespace {

// Blocks of about 93 ms at 44.1 kHz, each one a buffer the context plays in turn.
constexpr int block_frames = 4096;

// How far ahead of the heard music blocks are handed over. A hidden page's timers fire
// only about once a second, so the music must last longer than that on its own.
constexpr std::int64_t lead_ns = 1'500'000'000;

// At most this much more than the music played since the last turn is decoded in one
// turn of the timer, so that the decoding never holds up an animation frame for long (the
// first turn comes right before the first picture); a hidden page's turns, a second
// apart, still keep up with the music.
constexpr std::int64_t slice_ns = 250'000'000;

constexpr int timer_ms = 50;

// clang-format off
// The page calls back whenever what is heard may have changed at once (the player paused
// or going on, the context suspended or resumed from outside, the page shown again), so
// that the clock learns it before the next picture rather than at the timer's next turn.
EM_JS(void, page_audio_open, (int frames_per_second, web_audio_output* output), {
    Module.page.audio.open(frames_per_second, () => Module._web_audio_output_changed(output));
});

EM_JS(void, page_audio_queue, (const short* samples, int frames), {
    Module.page.audio.queue(HEAP16.subarray(samples >> 1, (samples >> 1) + frames));
});

// The heard position in seconds and the performance.now() moment it is heard at, or a
// moment below 0 while the context plays nothing yet; 'refused' is 1 once the page has
// given up on the context, 'held' is 1 while a context that played has stopped or the
// player is paused, the position being the last one heard.
EM_JS(double, page_audio_heard, (double* at_ms, int* refused, int* held), {
    const heard = Module.page.audio.heard();
    HEAP32[refused >> 2] = heard.refused ? 1 : 0;
    HEAP32[held >> 2] = heard.held ? 1 : 0;
    HEAPF64[at_ms >> 3] = heard.atMs;
    return heard.seconds;
});

EM_JS(void, page_audio_close, (), {
    Module.page.audio.close();
});
// clang-format on

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void web_audio_output_changed(web_audio_output* output) {
    output->pump();
}

web_audio_output::web_audio_output(block_source& source, int frames_per_second,
                                   const time_source& time, bool audible)
    : source_(source),
      frames_per_second_(frames_per_second),
      time_(time),
      audible_(audible),
      block_(block_frames) {}

web_audio_output::~web_audio_output() {
    stop();
}

void web_audio_output::start() {
    if (running_) {
        return;
    }
    running_ = true;
    started_ns_ = time_.now_ns();
    last_turn_ns_ = started_ns_;
    if (audible_) {
        page_audio_open(frames_per_second_, this);
    }
    // The first blocks wait for the timer's first turn, so that the first picture stands
    // before any decoding; the show clock stays at the start until the music is heard.
    timer_ = emscripten_set_interval(on_timer, timer_ms, this);
}

void web_audio_output::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    emscripten_clear_interval(timer_);
    if (audible_) {
        page_audio_close();
    }
}

void web_audio_output::on_timer(void* self) {
    static_cast<web_audio_output*>(self)->pump();
}

std::optional<std::int64_t> web_audio_output::report_heard(std::int64_t now) {
    if (!audible_) {
        // A stream with nothing to hear is heard on real time, as the silent output plays it.
        source_.heard(now - started_ns_, now);
        return now - started_ns_;
    }
    double at_ms = -1;
    int refused = 0;
    int held = 0;
    const double seconds = page_audio_heard(&at_ms, &refused, &held);
    if (refused != 0) {
        // Once the page has given up on the context, the music counts as heard on real time
        // from where it stood, as if someone were listening; a pause holds it there.
        if (silent_since_ns_ < 0) {
            silent_since_ns_ = now;
        }
        const std::int64_t position = heard_last_ns_ + (now - silent_since_ns_);
        if (held != 0) {
            heard_last_ns_ = position;
            silent_since_ns_ = -1;
            source_.held(position);
            return std::nullopt;
        }
        source_.heard(position, now);
        return position;
    }
    if (at_ms < 0) {
        // The context has yet to play: the show waits for its music.
        source_.held(0);
        return 0;
    }
    const auto position = static_cast<std::int64_t>(seconds * 1e9);
    if (held != 0) {
        heard_last_ns_ = position;
        source_.held(position);
        return std::nullopt;
    }
    const auto at = static_cast<std::int64_t>(at_ms * 1e6);
    source_.heard(position, at);
    heard_last_ns_ = position + (now - at);
    return heard_last_ns_;
}

void web_audio_output::pump() {
    const std::int64_t now = time_.now_ns();
    const std::optional<std::int64_t> heard_now = report_heard(now);
    const std::int64_t since_last_turn = now - last_turn_ns_;
    last_turn_ns_ = now;
    if (!heard_now) {
        // Nothing more is handed over either: the music goes on from here when it plays.
        return;
    }

    // The music runs on from the latest report; blocks are handed over until they reach
    // the lead ahead of it, a slice at a time, and not after the music's end.
    const auto handed_ns = [this] {
        return frames_handed_over_ * 1'000'000'000 / frames_per_second_;
    };
    const std::int64_t until =
        std::min(*heard_now + lead_ns, handed_ns() + slice_ns + since_last_turn);
    while (handed_ns() < until && !source_.finished()) {
        source_.fill(block_.data(), block_frames);
        frames_handed_over_ += block_frames;
        if (audible_) {
            page_audio_queue(block_.data(), block_frames);
        }
    }
}
