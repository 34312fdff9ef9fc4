// What exporting the whole show to a video costs, stage by stage: rendering the frames
// alone (in the forked renderer, as show-export does), then drawing each frame's picture
// and converting it to the encoder's YUV, then the full default export to MP4 (H.264 +
// AAC, 60 fps, 1280 x 800) with the soundtrack. Each stage runs the whole show once and
// reports its wall-clock time, the processor time spent in all threads and processes,
// and how many times faster than the show's own length it ran.
//
//   bench-export-show [OUTPUT.mp4]     (run in build/bin; default /tmp/bench-export.mp4)

extern "C" {
#include <libavutil/log.h>
}

#include <sys/resource.h>
#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/data_file_names.hpp"
#include "picture/frame_picture.hpp"
#include "platform/clock.hpp"
#include "show/show_ticks.hpp"
#include "sound/decoder.hpp"
#include "sound/music.hpp"
#include "tools/show_export/picture_planes.hpp"
#include "tools/show_export/show_frame_source.hpp"
#include "tools/show_export/video_writer.hpp"

namespace {

constexpr int fps = 60;
constexpr int scale = 2;
constexpr double show_seconds = double{show_last_tick} / show_ticks_per_second;

double cpu_seconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    }
    return total;
}

double load_average() {
    double load = 0;
    FILE* file = std::fopen("/proc/loadavg", "r");
    if (file != nullptr) {
        if (std::fscanf(file, "%lf", &load) != 1) {
            load = 0;
        }
        std::fclose(file);
    }
    return load;
}

// Runs every frame of the show through `work`, then `finish`, and reports the time they
// took together; false when the show or the work fails.
template <typename frame_work, typename finish_work>
bool stage(const char* name, frame_work&& work, finish_work&& finish) {
    const double load = load_average();
    const std::int64_t start = monotonic_nanoseconds();
    const double cpu_start = cpu_seconds();
    show_frame_source source(fps);
    if (const result<> started = source.start(); !started) {
        std::fprintf(stderr, "bench-export-show: %s\n", started.error().c_str());
        return false;
    }
    screen_buffer frame{};
    int frames = 0;
    result<> done;
    for (;;) {
        const result<bool> got = source.next(frame);
        if (!got) {
            done = failure(got.error());
            break;
        }
        if (!*got) {
            done = finish();
            break;
        }
        done = work(frame);
        if (!done) {
            break;
        }
        ++frames;
    }
    if (!done) {
        std::fprintf(stderr, "bench-export-show: %s: %s\n", name, done.error().c_str());
        return false;
    }
    const double wall = static_cast<double>(monotonic_nanoseconds() - start) * 1e-9;
    std::printf("| %-34s | %5d | %7.2f | %7.2f | %5.1fx | %4.1f |\n", name, frames, wall,
                cpu_seconds() - cpu_start, show_seconds / wall, load);
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--help") {
        std::printf("usage: bench-export-show [OUTPUT.mp4]   (run in the show's folder)\n");
        return 0;
    }
    const std::string output = argc > 1 ? argv[1] : "/tmp/bench-export.mp4";
    av_log_set_level(AV_LOG_QUIET);
    std::printf("| %-34s | %5s | %7s | %7s | %6s | %4s |\n", "stage", "frames", "wall s", "cpu s",
                "speed", "load");
    const auto nothing_more = [] { return result<>{}; };
    if (!stage(
            "render frames", [](const screen_buffer&) { return result<>{}; }, nothing_more)) {
        return 1;
    }
    frame_picture picture;
    std::vector<std::uint8_t> planes(static_cast<std::size_t>(picture_base_width * scale) *
                                     static_cast<std::size_t>(picture_base_height * scale) * 3 / 2);
    const auto draw = [&](const screen_buffer& frame) -> result<> {
        draw_frame_picture(frame, scale, picture);
        const int width = picture.width;
        std::uint8_t* y = planes.data();
        std::uint8_t* u =
            y + static_cast<std::size_t>(width) * static_cast<std::size_t>(picture.height);
        std::uint8_t* v =
            u + static_cast<std::size_t>(width / 2) * static_cast<std::size_t>(picture.height / 2);
        fill_yuv420(picture, y, width, u, width / 2, v, width / 2);
        return {};
    };
    if (!stage("+ draw pictures, convert to YUV", draw, nothing_more)) {
        return 1;
    }
    result<decoded_sound> music = decode_mono16(soundtrack_file_name);
    if (!music) {
        std::fprintf(stderr, "bench-export-show: %s: %s\n", soundtrack_file_name,
                     music.error().c_str());
        return 1;
    }
    // The writer opens once the renderer of its stage has forked, as in show-export.
    video_writer video;
    bool opened = false;
    const auto encode = [&](const screen_buffer& frame) -> result<> {
        if (!opened) {
            result<> open = video.open(output, video_format::mp4, fps, picture_base_width * scale,
                                       picture_base_height * scale,
                                       {std::move(music->samples), music->frames_per_second});
            if (!open) {
                return open;
            }
            opened = true;
        }
        draw_frame_picture(frame, scale, picture);
        return video.add_frame(picture);
    };
    const auto complete = [&] { return video.finish(); };
    if (!stage("+ encode MP4 (whole export)", encode, complete)) {
        return 1;
    }
    struct stat info {};
    stat(output.c_str(), &info);
    std::printf("\n%s: %.1f MB\n", output.c_str(), static_cast<double>(info.st_size) / 1e6);
    return 0;
}
