#include "tools/composer/echo.hpp"

#include <algorithm>

echo::echo(std::int64_t delay_samples, float feedback, float damping_hz)
    : line_(static_cast<std::size_t>(std::max<std::int64_t>(delay_samples, 1)), 0.0F),
      feedback_(feedback) {
    damping_.set(damping_hz);
}

float echo::process(float in) {
    const float delayed = line_[position_];
    line_[position_] = in + feedback_ * damping_.process(delayed);
    position_ = (position_ + 1) % line_.size();
    return delayed;
}
