#pragma once

#include <memory>

#include "sound/audio_output.hpp"
#include "sound/block_source.hpp"
#include "sound/time_source.hpp"

// The outputs and the time the sound calls work with. The system's backend opens the
// sound device and falls back to the silent output; tests give outputs they drive
// themselves and a clock they set.
class sound_backend {
  public:
    virtual ~sound_backend() = default;

    virtual const time_source& time() const = 0;

    // An output for `source`, playing `frames_per_second` frames a second. `want_device`
    // is false for a stream with nothing to hear, which needs no device. Never null.
    virtual std::unique_ptr<audio_output> open_output(block_source& source, int frames_per_second,
                                                      bool want_device) = 0;
};
