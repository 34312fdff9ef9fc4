#pragma once

#include <string>

#include "sound/sound_backend.hpp"

// The real thing: the monotonic clock, and the sound server's default sink where a server
// answers, else the silent real-time output. Without a device the show still runs, in
// silence, and the user is told why once, when the program ends.
class system_backend final : public sound_backend {
  public:
    system_backend() = default;

    system_backend(const system_backend&) = delete;
    system_backend& operator=(const system_backend&) = delete;

    const time_source& time() const override { return time_; }
    std::unique_ptr<audio_output> open_output(block_source& source, int frames_per_second,
                                              bool want_device) override;

  private:
    void report_silence(const std::string& reason);

    monotonic_time_source time_;
    bool silence_reported_ = false;
};
