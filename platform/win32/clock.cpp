#include "platform/clock.hpp"

#include <windows.h>

local_time get_local_time() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::int64_t monotonic_nanoseconds() {
    static const std::int64_t ticks_per_second = [] {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return static_cast<std::int64_t>(frequency.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    // Whole seconds and the remainder apart, so the product cannot overflow however long
    // the machine has been up.
    const std::int64_t seconds = now.QuadPart / ticks_per_second;
    const std::int64_t rest = now.QuadPart % ticks_per_second;
    return seconds * 1'000'000'000 + rest * 1'000'000'000 / ticks_per_second;
}

namespace {

// Windows 10 1803 and later; the MinGW headers of Debian 12 do not name it yet.
constexpr DWORD create_waitable_timer_high_resolution = 0x00000002;

}  // namespace

void sleep_until_nanoseconds(std::int64_t deadline_ns) {
    // Sleep() rounds to the scheduler's tick (often 15.6 ms), far too coarse to pace 60
    // frames a second; a high-resolution waitable timer wakes within a fraction of a
    // millisecond. Where the system has none, the ordinary timer still avoids spinning.
    thread_local HANDLE timer = [] {
        HANDLE made = CreateWaitableTimerExW(
            nullptr, nullptr, create_waitable_timer_high_resolution, TIMER_ALL_ACCESS);
        return made != nullptr ? made : CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }();
    const std::int64_t remaining_ns = deadline_ns - monotonic_nanoseconds();
    if (remaining_ns <= 0) {
        return;
    }
    LARGE_INTEGER due{};
    due.QuadPart = -(remaining_ns / 100);  // negative: relative, in units of 100 ns
    if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        Sleep(static_cast<DWORD>(remaining_ns / 1'000'000));
        return;
    }
    WaitForSingleObject(timer, INFINITE);
}
