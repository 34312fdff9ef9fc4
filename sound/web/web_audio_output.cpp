#include "sound/web/web_audio_output.hpp"

#include <emscripten.h>
#include <emscripten/eventloop.h>

#include <algorithm>

namespace {

// Blocks of about 93 ms at 44.1 kHz, each one a buffer the context plays in turn.
constexpr int block_frames = 4096;

// How far ahead of the heard music blocks are handed over. A hidden page's timers fire
// only about once a second, so the music must last longer than that on its own.
constexpr std::int64_t lead_ns = 1'500'000'000;

// At most this much is decoded in one turn of the timer, so that the decoding never holds
// up an animation frame for long (the first turn comes right before the first picture);
// still more than the music that plays until the next turn.
constexpr std::int64_t slice_ns = 250'000'000;

constexpr int timer_ms = 50;

// The output playing now, which the page asks to report at once when it pauses or goes on.
web_audio_output* playing_output = nullptr;

// clang-format off
EM_JS(void, page_audio_open, (int frames_per_second), {
    Module.page.audio.open(frames_per_second);
});

EM_JS(void, page_audio_queue, (const short* samples, int frames), {
    Module.page.audio.queue(HEAP16.subarray(samples >> 1, (samples >> 1) + frames));
});

// The heard position in seconds and the performance.now() moment it is heard at, or a
// moment below 0 while the context plays nothing yet. Where the page has given up on the
// context it counts the music on real time itself, held while the player is paused.
EM_JS(double, page_audio_heard, (double* at_ms), {
    const heard = Module.page.audio.heard();
    HEAPF64[at_ms >> 3] = heard.atMs;
    return heard.seconds;
});

EM_JS(void, page_audio_close, (), {
    Module.page.audio.close();
});
// clang-format on

}  // namespace

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
    playing_output = this;
    if (audible_) {
        page_audio_open(frames_per_second_);
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
    if (playing_output == this) {
        playing_output = nullptr;
    }
    emscripten_clear_interval(timer_);
    if (audible_) {
        page_audio_close();
    }
}

// The page calls this when it pauses the music or lets it go on, so that the clock holds
// from that moment rather than from the timer's next turn.
extern "C" EMSCRIPTEN_KEEPALIVE void web_audio_output_report() {
    if (playing_output != nullptr) {
        playing_output->pump();
    }
}

void web_audio_output::on_timer(void* self) {
    static_cast<web_audio_output*>(self)->pump();
}

void web_audio_output::pump() {
    const std::int64_t now = time_.now_ns();
    // Until the context plays the music counts as heard on real time from the start, as if
    // someone were listening.
    std::int64_t heard_ns = now - started_ns_;
    std::int64_t heard_at_ns = now;
    if (audible_) {
        double at_ms = -1;
        const double seconds = page_audio_heard(&at_ms);
        if (at_ms >= 0) {
            heard_ns = static_cast<std::int64_t>(seconds * 1e9);
            heard_at_ns = static_cast<std::int64_t>(at_ms * 1e6);
        }
    }
    source_.heard(heard_ns, heard_at_ns);

    // The music runs on from the latest report; blocks are handed over until they reach
    // the lead ahead of it, a slice at a time, and not after the music's end.
    const std::int64_t heard_now = heard_ns + (now - heard_at_ns);
    const auto handed_ns = [this] {
        return frames_handed_over_ * 1'000'000'000 / frames_per_second_;
    };
    const std::int64_t until = std::min(heard_now + lead_ns, handed_ns() + slice_ns);
    while (handed_ns() < until && !source_.finished()) {
        source_.fill(block_.data(), block_frames);
        frames_handed_over_ += block_frames;
        if (audible_) {
            page_audio_queue(block_.data(), block_frames);
        }
    }
}
