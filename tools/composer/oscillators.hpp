#pragma once

#include <cmath>
#include <cstdint>

// Band-limited step correction for a discontinuity at phase 0; dt is the phase step per
// sample. Subtracting it from a naive saw removes most of the audible aliasing.
inline float poly_blep(double phase, double dt) {
    if (phase < dt) {
        const double t = phase / dt;
        return static_cast<float>(t + t - t * t - 1.0);
    }
    if (phase > 1.0 - dt) {
        const double t = (phase - 1.0) / dt;
        return static_cast<float>(t * t + t + t + 1.0);
    }
    return 0.0F;
}

// A phase in [0, 1) advanced once per sample. Frequencies may change on every sample,
// which is how pitch sweeps and vibrato are made.
class phase_accumulator {
  public:
    explicit phase_accumulator(double start_phase = 0.0) : phase_(start_phase) {}
    void set_frequency(double hz);
    double step() const { return step_; }
    double phase() const { return phase_; }
    // Returns the phase of this sample, then advances. Inline: it runs for every sample of
    // every oscillator.
    double advance() {
        const double current = phase_;
        phase_ += step_;
        if (phase_ >= 1.0) {
            phase_ -= std::floor(phase_);
        }
        return current;
    }

  private:
    double phase_ = 0.0;
    double step_ = 0.0;
};

class saw_oscillator {
  public:
    explicit saw_oscillator(double start_phase = 0.0);
    void set_frequency(double hz) { phase_.set_frequency(hz); }
    float next() {
        const double dt = phase_.step();
        const double p = phase_.advance();
        return static_cast<float>(2.0 * p - 1.0) - poly_blep(p, dt);
    }

  private:
    phase_accumulator phase_;
};

// Pulse with a variable duty cycle, made from two band-limited saws. Its two levels are
// 2 apart and placed so that it averages to zero at any width.
class pulse_oscillator {
  public:
    pulse_oscillator(double width, double start_phase = 0.0);
    void set_frequency(double hz) { phase_.set_frequency(hz); }
    float next();

  private:
    phase_accumulator phase_;
    double width_;
};

float sine_of_phase(double phase);
float triangle_of_phase(double phase);

// xorshift32 white noise in [-1, 1). Every sound that uses noise gets its own fixed
// seed, so the soundtrack comes out the same on every build.
class noise_source {
  public:
    explicit noise_source(std::uint32_t seed);
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_) * (2.0F / 4294967296.0F) - 1.0F;
    }

  private:
    std::uint32_t state_;
};
