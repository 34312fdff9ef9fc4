#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "base/result.hpp"
#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

struct IAudioClient;
struct IAudioRenderClient;
struct IAudioClock;

// Plays a stream on the default render device through WASAPI in shared mode. The stream's
// own rate and 16-bit mono are asked for and the audio engine converts them to its mix
// format. Each block is told when it will be heard from the position the engine reports
// for the device, so the device's own latency is part of the show clock.
class wasapi_output final : public audio_output {
  public:
    // Fails, saying why, when no device opens.
    static result<std::unique_ptr<wasapi_output>> open(block_source& source, int frames_per_second,
                                                       const time_source& time);
    ~wasapi_output() override;

    wasapi_output(const wasapi_output&) = delete;
    wasapi_output& operator=(const wasapi_output&) = delete;

    void start() override;
    void stop() override;

  private:
    wasapi_output(block_source& source, int frames_per_second, const time_source& time);
    void run();
    bool feed();
    void release();

    block_source& source_;
    const int frames_per_second_;
    const time_source& time_;
    IAudioClient* client_ = nullptr;
    IAudioRenderClient* render_ = nullptr;
    IAudioClock* clock_ = nullptr;
    std::uint64_t clock_frequency_ = 0;
    std::uint32_t buffer_frames_ = 0;
    void* wake_ = nullptr;
    std::int64_t frames_written_ = 0;
    std::atomic<bool> stop_requested_ = false;
    std::thread thread_;
};
