#include "tools/composer/oscillators.hpp"

#include <cmath>
#include <numbers>

#include "tools/composer/timing.hpp"

void phase_accumulator::set_frequency(double hz) {
    step_ = hz / sample_rate;
}

// Start phases let detuned unison voices begin out of step, as analogue ones would.
saw_oscillator::saw_oscillator(double start_phase) : phase_(start_phase) {}

pulse_oscillator::pulse_oscillator(double width, double start_phase)
    : phase_(start_phase), width_(width) {}

float pulse_oscillator::next() {
    const double dt = phase_.step();
    const double p = phase_.advance();
    double shifted = p + (1.0 - width_);
    shifted -= std::floor(shifted);
    const float saw_a = static_cast<float>(2.0 * p - 1.0) - poly_blep(p, dt);
    const float saw_b = static_cast<float>(2.0 * shifted - 1.0) - poly_blep(shifted, dt);
    // The difference of the saws already averages to zero: 2w - 2 for the first w of the
    // cycle, 2w for the rest. Shifting it to a pulse between -1 and 1 would add 1 - 2w,
    // which the envelope turns into a thump under every note and the mix into a drift.
    return saw_a - saw_b;
}

// Single precision is plenty for a phase in [0, 1) and twice as fast as double.
float sine_of_phase(double phase) {
    return std::sin(2.0F * std::numbers::pi_v<float> * static_cast<float>(phase));
}

float triangle_of_phase(double phase) {
    return static_cast<float>(phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase);
}

noise_source::noise_source(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9U : seed) {}
