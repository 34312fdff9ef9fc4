#pragma once

#include <cstdint>

// What an output plays: blocks of signed 16-bit mono samples, each already through the
// stream's DSP units, with silence after the end.
class block_source {
  public:
    // Writes the next `frames` samples into `block`; they start to be heard at
    // `heard_at_ns` on the source's time source. Called from the output's own thread.
    virtual void fill(std::int16_t* block, int frames, std::int64_t heard_at_ns) = 0;

    // True once the end of the stream has been handed over; later blocks are silence.
    virtual bool finished() const = 0;

  protected:
    ~block_source() = default;
};
