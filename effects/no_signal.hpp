#pragma once

#include <cstdint>

#include "show/effect.hpp"

// The opening picture: a blue screen whose input has gone, with a small grey box in the
// lower right corner that reads "Kein Signal" above a five-minute countdown. The picture
// is a function of the tick value alone.
class no_signal_effect final : public effect {
  public:
    void render(std::int32_t ticks) override;
};
