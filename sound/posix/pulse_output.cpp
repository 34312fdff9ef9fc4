#include "sound/posix/pulse_output.hpp"
#include "sound/sound_device.hpp"

#include <pulse/pulseaudio.h>
#include <sys/time.h>

#include <algorithm>

namespace {

// Music the server holds ahead of the ear. Far more than a busy machine ever keeps the
// client thread waiting, and free of sync cost since the clock follows the server's
// reports; PULSE_LATENCY_MSEC, which the client library honours, overrides it.
constexpr pa_usec_t buffer_usec = 400'000;

}  // namespace

pulse_output::pulse_output(block_source& source, int frames_per_second, const time_source& time)
    : source_(source), frames_per_second_(frames_per_second), time_(time) {}

result<std::unique_ptr<pulse_output>> pulse_output::open(block_source& source,
                                                         int frames_per_second,
                                                         const time_source& time) {
    std::unique_ptr<pulse_output> output(new pulse_output(source, frames_per_second, time));
    if (result<> connected = output->connect(); !connected) {
        return failure(std::move(connected).error());
    }
    return output;
}

pulse_output::~pulse_output() {
    stop();
}

result<> pulse_output::connect() {
    mainloop_ = pa_threaded_mainloop_new();
    if (mainloop_ == nullptr) {
        return failure("the sound client library would not start");
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "textshow");
    if (context_ == nullptr) {
        return failure("the sound client library would not start");
    }
    pa_context_set_state_callback(context_, &on_context_state, this);

    pa_threaded_mainloop_lock(mainloop_);
    const auto give_up = [&] {
        failure why(pa_strerror(pa_context_errno(context_)));
        pa_threaded_mainloop_unlock(mainloop_);
        return why;
    };
    // A show has no business starting a sound server of its own where none runs.
    if (pa_threaded_mainloop_start(mainloop_) < 0 ||
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return give_up();
    }
    for (pa_context_state_t state; (state = pa_context_get_state(context_)) != PA_CONTEXT_READY;) {
        if (!PA_CONTEXT_IS_GOOD(state)) {
            return give_up();
        }
        pa_threaded_mainloop_wait(mainloop_);
    }

    const pa_sample_spec spec{PA_SAMPLE_S16NE, static_cast<std::uint32_t>(frames_per_second_), 1};
    stream_ = pa_stream_new(context_, "music", &spec, nullptr);
    if (stream_ == nullptr) {
        return give_up();
    }
    pa_stream_set_state_callback(stream_, &on_stream_state, this);
    pa_stream_set_write_callback(stream_, &on_write_wanted, this);
    pa_stream_set_latency_update_callback(stream_, &on_timing, this);

    constexpr std::uint32_t server_default = static_cast<std::uint32_t>(-1);
    pa_buffer_attr buffer{};
    buffer.maxlength = server_default;
    buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(buffer_usec, &spec));
    buffer.prebuf = server_default;
    buffer.minreq = server_default;
    buffer.fragsize = server_default;
    // Corked until start(); interpolated timing lets every reading between two server
    // reports be current, and the reports come without being asked for.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                       PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) < 0) {
        return give_up();
    }
    for (pa_stream_state_t state; (state = pa_stream_get_state(stream_)) != PA_STREAM_READY;) {
        if (!PA_STREAM_IS_GOOD(state)) {
            return give_up();
        }
        pa_threaded_mainloop_wait(mainloop_);
    }
    pa_threaded_mainloop_unlock(mainloop_);
    return {};
}

void pulse_output::start() {
    if (stream_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(mainloop_);
    started_ = true;
    pa_operation* uncork = pa_stream_cork(stream_, 0, nullptr, nullptr);
    if (uncork != nullptr) {
        pa_operation_unref(uncork);
    }
    pa_threaded_mainloop_unlock(mainloop_);
}

void pulse_output::stop() {
    if (mainloop_ == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(mainloop_);
    if (stream_ != nullptr) {
        // No callback may reach the source once this returns.
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(mainloop_);
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
}

std::optional<std::int64_t> pulse_output::server_position_ns() {
    if (stream_ == nullptr) {
        return std::nullopt;
    }
    pa_threaded_mainloop_lock(mainloop_);
    // The client library's own reckoning, taken only while the server says the stream
    // plays: before that it runs on from the connection even while the sink still plays
    // out what it held before.
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    pa_usec_t usec = 0;
    const bool known =
        timing != nullptr && timing->playing && pa_stream_get_time(stream_, &usec) >= 0;
    pa_threaded_mainloop_unlock(mainloop_);
    if (!known) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(usec) * 1000;
}

void pulse_output::write(std::size_t bytes) {
    while (bytes >= sizeof(std::int16_t)) {
        void* data = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream_, &data, &size) < 0 || data == nullptr) {
            return;
        }
        size = std::min(size, bytes) / sizeof(std::int16_t) * sizeof(std::int16_t);
        if (size == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        source_.fill(static_cast<std::int16_t*>(data),
                     static_cast<int>(size / sizeof(std::int16_t)));
        if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            return;
        }
        bytes -= size;
    }
    // Fresh timing with every write keeps the reports close together, beyond the ones
    // that come by themselves at ever longer intervals.
    if (pa_operation* update = pa_stream_update_timing_info(stream_, nullptr, nullptr)) {
        pa_operation_unref(update);
    }
}

void pulse_output::report_heard() {
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
    if (!started_ || timing == nullptr || timing->read_index_corrupt) {
        return;
    }
    // The report says how far the server had read into the stream when it was made, and
    // how long the sink takes to play what it has read; the sample being heard then was
    // that far behind the read position, and the ear has moved on with time since. The
    // report's time is the system's wall clock, so its age is taken on that clock.
    timeval wall{};
    gettimeofday(&wall, nullptr);
    const std::int64_t now_ns = time_.now_ns();
    const std::int64_t age_ns =
        (std::int64_t{wall.tv_sec} - timing->timestamp.tv_sec) * 1'000'000'000 +
        (std::int64_t{wall.tv_usec} - timing->timestamp.tv_usec) * 1'000;
    const std::int64_t read_ns = timing->read_index / std::int64_t{sizeof(std::int16_t)} *
                                 1'000'000'000 / frames_per_second_;
    const std::int64_t heard_ns = read_ns +
                                  static_cast<std::int64_t>(timing->transport_usec) * 1'000 -
                                  static_cast<std::int64_t>(timing->sink_usec) * 1'000 + age_ns;
    // Before its first sample reaches the ear the position says nothing of when it will;
    // the clock waits at the start for a report that does.
    if (heard_ns <= 0) {
        return;
    }
    // A stream that is not playing (still filling before its start, or run dry) is heard
    // at most up to what the server has read of it, however much more it holds from us:
    // the sink plays out what it read, then nothing until the stream plays again.
    if (timing->playing) {
        source_.heard(heard_ns, now_ns);
    } else {
        source_.heard_not_playing(std::min(heard_ns, read_ns), now_ns, read_ns);
    }
}

void pulse_output::on_context_state(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<pulse_output*>(self)->mainloop_, 0);
}

void pulse_output::on_stream_state(pa_stream* stream, void* self) {
    auto* output = static_cast<pulse_output*>(self);
    // A stream that fails once playing has lost its server; the show goes on without it
    // rather than wait for music that will not come. stop() silences this callback first.
    if (output->started_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        output->source_.lost();
    }
    pa_threaded_mainloop_signal(output->mainloop_, 0);
}

void pulse_output::on_write_wanted(pa_stream*, std::size_t bytes, void* self) {
    static_cast<pulse_output*>(self)->write(bytes);
}

void pulse_output::on_timing(pa_stream*, void* self) {
    static_cast<pulse_output*>(self)->report_heard();
}

result<std::unique_ptr<audio_output>> open_sound_device(block_source& source, int frames_per_second,
                                                        const time_source& time) {
    return pulse_output::open(source, frames_per_second, time);
}
