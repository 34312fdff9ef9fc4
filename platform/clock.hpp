#pragma once

#include <cstdint>

struct local_time {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Wall-clock date and time in the local time zone.
local_time get_local_time();

// A clock that only moves forward, in nanoseconds from an arbitrary origin.
std::int64_t monotonic_nanoseconds();

// Sleeps until that clock reads `deadline_ns`; returns early when a signal arrives.
void sleep_until_nanoseconds(std::int64_t deadline_ns);
