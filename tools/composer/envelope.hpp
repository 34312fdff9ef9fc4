#pragma once

#include <cstdint>

// Times in seconds, sustain as a level in [0, 1].
struct adsr_shape {
    float attack = 0.005F;
    float decay = 0.1F;
    float sustain = 1.0F;
    float release = 0.1F;
};

// Linear attack (a clean, click-free start), exponential decay and release (they sound
// natural and never overshoot). The gate is the number of samples the note is held.
class adsr {
  public:
    adsr(const adsr_shape& shape, std::int64_t gate_samples);
    float next();
    // True once the release has fallen below hearing (-80 dB); the voice can stop there.
    bool finished() const { return finished_; }

  private:
    float attack_step_;
    float decay_factor_;
    float sustain_;
    float release_factor_;
    std::int64_t gate_;
    std::int64_t position_ = 0;
    float level_ = 0.0F;
    bool attacking_ = true;
    bool finished_ = false;
};

// Per-sample factor of an exponential fall that loses 1/e every time_constant seconds.
float decay_factor(float time_constant);

// Number of samples after which an exponential fall from 1 has reached floor.
std::int64_t samples_to_fall(float time_constant, float floor);
