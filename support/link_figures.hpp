#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

#include "support/far_terminal.hpp"
#include "support/link_simulator.hpp"

// What a viewer at the far end of a link gets over a stretch of time: frames completed
// there per second, their size, and the age of the picture on show.
//
// The age of the picture at a moment is how long before that moment the program began
// to write the frame last completed at the far end. With the show on real time (silent,
// its clock the wall clock since the music started) that is the show's clock now minus
// the tick of that frame, less the few milliseconds the show spends rendering a frame
// before writing it. The picture is sampled every 5 ms of the stretch.
//
// A frame's wait is the time from its first byte's leaving the program to its being
// complete at the far end, less what the link itself takes for it (the delay, and its
// bytes at the rate): the time it spent behind output written before it. A frame left
// while another was on its way if its first byte left the program before the frame
// before it was complete at the far end.
struct link_figures {
    double frames_per_second = 0;
    double share_sent_while_one_was_on_its_way = 0;
    double bytes_per_frame = 0;
    double age_median_ms = 0;
    double age_p95_ms = 0;
    double wait_p95_ms = 0;
};

// Nearest rank: the smallest value that at least `share` of the values stay at or below.
inline double nearest_rank(std::vector<double> values, double share) {
    if (values.empty()) {
        return std::numeric_limits<double>::infinity();
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(share * static_cast<double>(values.size()) + 0.999);
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

inline link_figures measure_frames(
    const std::vector<far_terminal::frame>& frames,
    const std::function<far_terminal::clock::time_point(std::size_t)>& written_at,
    link_simulator::settings link, far_terminal::clock::time_point from,
    far_terminal::clock::time_point to) {
    link_figures figures;
    double bytes = 0;
    int count = 0;
    int overlapping = 0;
    std::vector<double> waits;
    for (auto frame_at = frames.begin(); frame_at != frames.end(); ++frame_at) {
        const auto& frame = *frame_at;
        if (frame.completed >= from && frame.completed < to) {
            const auto size = static_cast<double>(frame.end - frame.start);
            bytes += size;
            ++count;
            if (frame_at != frames.begin() &&
                written_at(frame.start) < std::prev(frame_at)->completed) {
                ++overlapping;
            }
            waits.push_back(
                std::chrono::duration<double, std::milli>(frame.completed - written_at(frame.start))
                    .count() -
                static_cast<double>(link.delay.count()) - 1000 * size / link.bytes_per_second);
        }
    }
    figures.wait_p95_ms = nearest_rank(waits, 0.95);
    const double seconds = std::chrono::duration<double>(to - from).count();
    figures.frames_per_second = count / seconds;
    figures.bytes_per_frame = count > 0 ? bytes / count : 0;
    figures.share_sent_while_one_was_on_its_way =
        count > 0 ? static_cast<double>(overlapping) / count : 0;

    std::vector<double> ages;
    auto last = frames.begin();
    for (auto at = from; at < to; at += std::chrono::milliseconds(5)) {
        while (last != frames.end() && last->completed <= at) {
            ++last;
        }
        if (last == frames.begin()) {
            ages.push_back(std::numeric_limits<double>::infinity());
            continue;
        }
        ages.push_back(
            std::chrono::duration<double, std::milli>(at - written_at(std::prev(last)->start))
                .count());
    }
    figures.age_median_ms = nearest_rank(ages, 0.5);
    figures.age_p95_ms = nearest_rank(ages, 0.95);
    return figures;
}

inline link_figures measure_link(const link_simulator& run, far_terminal::clock::time_point from,
                                 far_terminal::clock::time_point to) {
    return measure_frames(
        run.far().frames(), [&](std::size_t offset) { return run.written_at(offset); }, run.link(),
        from, to);
}
