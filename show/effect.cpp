#include "show/effect.hpp"

void render_child(effect& child, std::int32_t ticks, screen_buffer& buffer) {
    if (child.first_frame) {
        child.start_ticks = ticks;
        child.first_frame = false;
    }
    child.now_ticks = ticks;
    child.target = &buffer;
    // Wrapping subtraction: the local time of a clock started near one end of the tick
    // range must not be undefined behaviour.
    const auto local =
        static_cast<std::uint32_t>(ticks) - static_cast<std::uint32_t>(child.start_ticks);
    child.render(static_cast<std::int32_t>(local));
}
