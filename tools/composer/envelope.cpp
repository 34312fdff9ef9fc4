#include "tools/composer/envelope.hpp"

#include <algorithm>
#include <cmath>

#include "tools/composer/timing.hpp"

namespace {
constexpr float inaudible = 1.0e-4F;
}

float decay_factor(float time_constant) {
    return std::exp(-1.0F / (std::max(time_constant, 1.0e-5F) * sample_rate));
}

std::int64_t samples_to_fall(float time_constant, float floor) {
    return static_cast<std::int64_t>(std::ceil(-std::log(floor) * time_constant * sample_rate));
}

adsr::adsr(const adsr_shape& shape, std::int64_t gate_samples)
    : attack_step_(1.0F / std::max(shape.attack * sample_rate, 1.0F)),
      decay_factor_(decay_factor(shape.decay)),
      sustain_(shape.sustain),
      release_factor_(decay_factor(shape.release)),
      gate_(gate_samples) {}

float adsr::next() {
    if (position_ < gate_) {
        if (attacking_) {
            level_ += attack_step_;
            if (level_ >= 1.0F) {
                level_ = 1.0F;
                attacking_ = false;
            }
        } else {
            level_ = sustain_ + (level_ - sustain_) * decay_factor_;
        }
    } else {
        level_ *= release_factor_;
        finished_ = level_ < inaudible;
    }
    ++position_;
    return level_;
}
