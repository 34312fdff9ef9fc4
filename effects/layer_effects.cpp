#include "effects/layer_effects.hpp"

#include "platform/process.hpp"

void clear_effect::render(std::int32_t) { target->fill(0); }

void end_effect::render(std::int32_t) { exit_process(23); }
