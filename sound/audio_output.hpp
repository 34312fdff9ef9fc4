#pragma once

// Something that plays a block_source: a sound device, or the silent real-time output
// that consumes blocks at wall-clock pace where there is none.
class audio_output {
  public:
    virtual ~audio_output() = default;

    // Starts consuming blocks; the play position stays 0 until the first one is taken.
    virtual void start() = 0;

    // Stops consuming; no block is requested after this returns.
    virtual void stop() = 0;
};
