#include "tools/composer/filter.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/composer/timing.hpp"

namespace {
// Keep the cutoff below Nyquist, where the tangent would blow up.
float clamp_cutoff(float hz) {
    return std::clamp(hz, 10.0F, 0.45F * sample_rate);
}
}  // namespace

void state_variable_filter::set(float cutoff_hz, float resonance) {
    g_ = std::tan(std::numbers::pi_v<float> * clamp_cutoff(cutoff_hz) / sample_rate);
    k_ = 2.0F - 2.0F * std::clamp(resonance, 0.0F, 0.98F);
    a1_ = 1.0F / (1.0F + g_ * (g_ + k_));
}

void one_pole_lowpass::set(float cutoff_hz) {
    coefficient_ =
        1.0F - std::exp(-2.0F * std::numbers::pi_v<float> * clamp_cutoff(cutoff_hz) / sample_rate);
}

float one_pole_lowpass::process(float in) {
    state_ += coefficient_ * (in - state_);
    return state_;
}
