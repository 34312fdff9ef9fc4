#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/result.hpp"
#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// Plays a stream through the PulseAudio client library, on a PulseAudio server or on
// PipeWire's PulseAudio service, to the default sink (or the one PULSE_SINK names).
//
// Sound servers and devices hold anything from 10 ms to a few hundred (Bluetooth) of
// music after it is handed over, so the output does not guess: the server's timing
// reports say which sample is being heard, and the output passes each report to the
// stream's clock. That makes a deep buffer free of sync cost, and the buffer is deep
// enough to ride out a busy machine without running dry.
//
// The server calls back on the client library's own thread, where the stream's blocks
// are filled; everything the output shares with that thread is touched under the
// library's lock.
class pulse_output final : public audio_output {
  public:
    // Fails, saying why, when no server answers or it refuses the stream.
    static result<std::unique_ptr<pulse_output>> open(block_source& source, int frames_per_second,
                                                      const time_source& time);
    ~pulse_output() override;

    pulse_output(const pulse_output&) = delete;
    pulse_output& operator=(const pulse_output&) = delete;

    void start() override;
    void stop() override;

    // The heard position in nanoseconds from the stream's start, as the server reports it
    // at this moment; nothing before the server has a first report.
    std::optional<std::int64_t> server_position_ns();

  private:
    pulse_output(block_source& source, int frames_per_second, const time_source& time);
    result<> connect();
    void write(std::size_t bytes);
    void report_heard();

    static void on_context_state(pa_context* context, void* self);
    static void on_stream_state(pa_stream* stream, void* self);
    static void on_write_wanted(pa_stream* stream, std::size_t bytes, void* self);
    static void on_timing(pa_stream* stream, void* self);

    block_source& source_;
    const int frames_per_second_;
    const time_source& time_;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    bool started_ = false;
};
