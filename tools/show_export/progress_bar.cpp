#include "tools/show_export/progress_bar.hpp"

#include <unistd.h>
#include <algorithm>
#include <cstring>

#include "platform/clock.hpp"

namespace {

constexpr int bar_width = 30;
// Redrawing every frame would cost more than the frame; a few times a second reads as
// smooth to the eye.
constexpr std::int64_t redraw_interval_ns = 200'000'000;

}  // namespace

void format_progress(int done, int total, double elapsed_s, char* out, std::size_t size) {
    const double share = total > 0 ? std::clamp(static_cast<double>(done) / total, 0.0, 1.0) : 0.0;
    char bar[bar_width + 1];
    const int filled = static_cast<int>(share * bar_width);
    for (int at = 0; at < bar_width; ++at) {
        bar[at] = at < filled ? '#' : '.';
    }
    bar[bar_width] = '\0';
    if (done <= 0 || share <= 0.0) {
        std::snprintf(out, size, "[%s] %3d%%", bar, 0);
        return;
    }
    const auto left = static_cast<long>(elapsed_s * (1.0 - share) / share + 0.5);
    std::snprintf(out, size, "[%s] %3d%%  %ld:%02ld left", bar, static_cast<int>(share * 100.0),
                  left / 60, left % 60);
}

progress_bar::progress_bar(std::FILE* stream, int total)
    : stream_(stream),
      total_(total),
      shown_(isatty(fileno(stream)) != 0),
      started_ns_(monotonic_nanoseconds()) {}

progress_bar::~progress_bar() {
    finish();
}

void progress_bar::update(int done) {
    if (!shown_) {
        return;
    }
    const std::int64_t now = monotonic_nanoseconds();
    if (open_line_ && now - drawn_ns_ < redraw_interval_ns && done < total_) {
        return;
    }
    drawn_ns_ = now;
    char line[96];
    format_progress(done, total_, static_cast<double>(now - started_ns_) * 1e-9, line, sizeof line);
    // Carriage return and erase-to-end keep the report on one line however it shrinks.
    std::fprintf(stream_, "\r%s\x1b[K", line);
    std::fflush(stream_);
    open_line_ = true;
}

void progress_bar::finish() {
    if (open_line_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
        open_line_ = false;
    }
}
