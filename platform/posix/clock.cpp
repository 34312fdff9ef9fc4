#include "platform/clock.hpp"

#include <ctime>

local_time get_local_time() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

void sleep_until_nanoseconds(std::int64_t deadline_ns) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadline_ns / 1'000'000'000);
    until.tv_nsec = static_cast<long>(deadline_ns % 1'000'000'000);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

std::int64_t monotonic_nanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}
