// What one frame of each timeline row costs to render, once the show has run up to that
// row at 60 frames per second, and what the heaviest shared effects cost on their own.
//
// The effect graph and its clocks are global, as in the show: every benchmark first
// plays the timeline forward (never back) until its row is current, so the row's own
// effects and every shared one it contains have started their clocks exactly as the show
// starts them. The timed loop then renders the row's scene with tick values that advance
// one 60 fps frame per iteration through the row's own stretch of ticks, wrapping back to
// the row's first frame when the stretch runs out. The last row ends the process and is
// left out.
//
// The program moves to its own folder at start, where the build puts the screens.
//
//     build/bin/bench-render-scenes --benchmark_repetitions=10
//                                   --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "composition/show_composition.hpp"
#include "show/effect.hpp"
#include "show/show_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "support/show_screens_present.hpp"

namespace {

constexpr int frames_per_second = 60;
constexpr int last_benchmarked_row = timeline_rows - 2;

std::int32_t frame_tick(std::int64_t frame) {
    return show_frame_tick(frame, frames_per_second);
}

// The frames during which a row is current, as the scheduler picks rows: a row takes
// over at the first frame whose tick is past its start. Row 0 has only frame 0.
struct frame_range {
    std::int64_t first;
    std::int64_t last;
};

frame_range row_frames(int row) {
    const std::int32_t end = show_timeline[static_cast<std::size_t>(row) + 1].start_ticks;
    std::int64_t first = 0;
    if (row > 0) {
        const std::int32_t start = show_timeline[static_cast<std::size_t>(row)].start_ticks;
        while (frame_tick(first) <= start) {
            ++first;
        }
    }
    std::int64_t last = first;
    while (frame_tick(last + 1) <= end) {
        ++last;
    }
    return {first, last};
}

// The next frame the show's frame loop would draw; shared by all benchmarks, since the
// timeline only moves forward.
std::int64_t show_frame = 0;
int show_row = -1;

// Plays the show on until `row` is current and has drawn its first frame. A row already
// passed stays as warm as it was left.
void play_to_row(int row) {
    while (show_row < row) {
        const std::int32_t t = frame_tick(show_frame++);
        const timeline_entry& entry = timeline_select(t);
        render_child(*entry.scene, t, show_buffer);
        show_row = static_cast<int>(&entry - show_timeline.data());
    }
}

// Renders `scene` once per iteration into a buffer of its own, the tick moving one frame
// on each time through the row's frames.
void render_frames(benchmark::State& state, effect& scene, int row) {
    play_to_row(row);
    const frame_range frames = row_frames(row);
    static screen_buffer buffer{};
    std::int64_t frame = frames.first;
    for (auto _ : state) {
        render_child(scene, frame_tick(frame), buffer);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        frame = frame == frames.last ? frames.first : frame + 1;
    }
    state.SetLabel("frames " + std::to_string(frames.first) + ".." + std::to_string(frames.last));
}

void bm_row(benchmark::State& state, int row) {
    render_frames(state, *show_timeline[static_cast<std::size_t>(row)].scene, row);
}

// What each row shows, for the benchmark names.
constexpr const char* row_names[last_benchmarked_row + 1] = {
    "clear",
    "no_signal",
    "no_signal+fire_zoom_in",
    "fire",
    "image_flicker+fire_zoom_out",
    "image_flicker",
    "plasma_zoom_in+image_flicker",
    "plasma+image_flicker",
    "plasma+image_flicker_zoom_out",
    "plasma",
    "plasma_wobble",
    "invitation",
    "invitation_zoom_out",
    "clear",
    "counter_twirl",
    "digits_credits+counter_twirl_zoom_out",
    "digits_credits",
    "digits_credits_zoom_out",
    "clear",
};

// The row that first shows each shared effect whole; the credits first run whole inside
// digits_credits.
struct shared_row {
    std::string_view name;
    int row;
};
constexpr shared_row first_whole_rows[] = {
    {"no_signal", 1}, {"counter_twirl", 14},  {"fire", 3}, {"image_flicker", 5}, {"plasma", 9},
    {"credits", 16},  {"digits_credits", 16},
};

}  // namespace

int main(int argc, char** argv) {
    if (!show_screens_present("bench-render-scenes")) {
        return 1;
    }
    show_compose();
    for (int row = 0; row <= last_benchmarked_row; ++row) {
        char name[80];
        std::snprintf(name, sizeof name, "row/%02d/%s", row, row_names[row]);
        benchmark::RegisterBenchmark(name, bm_row, row);
    }
    // A shared effect alone, over the frames of the row that first shows it whole.
    for (const std::string_view name : show_shared_names()) {
        const auto known = std::find_if(std::begin(first_whole_rows), std::end(first_whole_rows),
                                        [name](const shared_row& r) { return r.name == name; });
        if (known == std::end(first_whole_rows)) {
            std::fprintf(stderr, "bench-render-scenes: no row is known to show %s whole\n",
                         std::string(name).c_str());
            return 1;
        }
        effect* const instance = show_shared_effect(name);
        const int row = known->row;
        benchmark::RegisterBenchmark(
            ("shared/" + std::string(name)).c_str(),
            [instance, row](benchmark::State& state) { render_frames(state, *instance, row); });
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
