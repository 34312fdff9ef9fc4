#include "sound/time_source.hpp"

#include "platform/clock.hpp"

std::int64_t monotonic_time_source::now_ns() const {
    return monotonic_nanoseconds();
}
