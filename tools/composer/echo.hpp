#pragma once

#include <cstdint>
#include <vector>

#include "tools/composer/filter.hpp"

// A feedback delay whose repeats grow darker, like tape: each pass through the loop goes
// through a lowpass. It returns only the repeats; the dry sound is mixed elsewhere.
class echo {
  public:
    echo(std::int64_t delay_samples, float feedback, float damping_hz);
    float process(float in);

  private:
    std::vector<float> line_;
    std::size_t position_ = 0;
    float feedback_;
    one_pole_lowpass damping_;
};
