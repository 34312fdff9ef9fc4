#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// Plays a stream on the default sound device through SDL's audio subsystem. The stream's
// own rate and format are asked for and SDL converts to whatever the device takes, so
// the stream needs no resampling of ours. The audio subsystem must be running.
class sdl_output final : public audio_output {
  public:
    // Null when no device opens; `reason` then says why.
    static std::unique_ptr<sdl_output> open(block_source& source, int frames_per_second,
                                            const time_source& time, std::string& reason);
    ~sdl_output() override;

    void start() override;
    void stop() override;

  private:
    sdl_output(block_source& source, const time_source& time);
    static void feed(void* self, std::uint8_t* stream, int bytes);

    block_source& source_;
    const time_source& time_;
    std::uint32_t device_ = 0;
    std::int64_t latency_ns_ = 0;
};
