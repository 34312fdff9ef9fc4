// What exporting the whole show to a video costs, stage by stage: rendering the frames
// alone (in the forked renderer, as show-export does), then drawing each frame's picture
// and converting it to the encoder's YUV, then the full default export to MP4 (H.264 +
// AAC, 60 fps, 1280 x 800) with the soundtrack. Each stage runs the whole show once and
// reports its wall-clock time, the processor time spent in all threads and processes,
// and how many times faster than the show's own length it ran.
//
// `scenes` says how much of the picture each timeline row changes from frame to frame,
// which is what costs an encoder bits. `candidates` exports the whole show once for each
// encoder setting tried for the lossy formats, and reports the file's size, the export's
// time and how near the decoded pictures come to the drawn ones on frames spread over
// the scenes (the pictures the lossless export holds).
//
//   bench-export-show [OUTPUT.mp4]           (run in build/bin; default /tmp/bench-export.mp4)
//   bench-export-show scenes
//   bench-export-show candidates [NAME-PART] [FOLDER] [START-S SECONDS]
//       (default folder /tmp; START-S and SECONDS export only that stretch of the show)

extern "C" {
#include <libavutil/log.h>
}

#include <sys/resource.h>
#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/data_file_names.hpp"
#include "picture/frame_picture.hpp"
#include "platform/clock.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "sound/decoder.hpp"
#include "sound/music.hpp"
#include "support/picture_likeness.hpp"
#include "support/video_frames.hpp"
#include "tools/show_export/encoder_settings.hpp"
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

struct run_figures {
    int frames = 0;
    double wall = 0;
    double cpu = 0;
    double load = 0;
};

// Runs every frame of the show through `work`, then `finish`, and measures the time they
// took together; false when the show or the work fails.
template <typename frame_work, typename finish_work>
bool run_show(const char* name, frame_work&& work, finish_work&& finish, run_figures& figures) {
    figures.load = load_average();
    const std::int64_t start = monotonic_nanoseconds();
    const double cpu_start = cpu_seconds();
    show_frame_source source(fps);
    if (const result<> started = source.start(); !started) {
        std::fprintf(stderr, "bench-export-show: %s\n", started.error().c_str());
        return false;
    }
    screen_buffer frame{};
    figures.frames = 0;
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
        ++figures.frames;
    }
    if (!done) {
        std::fprintf(stderr, "bench-export-show: %s: %s\n", name, done.error().c_str());
        return false;
    }
    figures.wall = static_cast<double>(monotonic_nanoseconds() - start) * 1e-9;
    figures.cpu = cpu_seconds() - cpu_start;
    return true;
}

template <typename frame_work, typename finish_work>
bool stage(const char* name, frame_work&& work, finish_work&& finish) {
    run_figures f;
    if (!run_show(name, work, finish, f)) {
        return false;
    }
    std::printf("| %-34s | %5d | %7.2f | %7.2f | %5.1fx | %4.1f |\n", name, f.frames, f.wall, f.cpu,
                show_seconds / f.wall, f.load);
    std::fflush(stdout);
    return true;
}

double file_megabytes(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return static_cast<double>(info.st_size) / 1e6;
}

// The timeline row a frame's tick falls in.
std::size_t row_at(std::int32_t tick) {
    std::size_t row = 0;
    while (row + 1 < show_timeline.size() && show_timeline[row + 1].start_ticks <= tick) {
        ++row;
    }
    return row;
}

// For each timeline row: its start and the mean share of the 640 x 400 picture's pixels
// that differ from the frame before, at 60 frames a second.
int scenes() {
    std::vector<double> changed(show_timeline.size(), 0);
    std::vector<int> frames(show_timeline.size(), 0);
    frame_picture previous;
    frame_picture picture;
    int index = 0;
    const auto measure = [&](const screen_buffer& frame) -> result<> {
        draw_frame_picture(frame, 1, picture);
        if (index > 0) {
            std::size_t differ = 0;
            for (std::size_t i = 0; i < picture.colours.size(); ++i) {
                differ += picture.colours[i] != previous.colours[i] ? 1 : 0;
            }
            const std::size_t row = row_at(show_frame_tick(index, fps));
            changed[row] +=
                static_cast<double>(differ) / static_cast<double>(picture.colours.size());
            ++frames[row];
        }
        std::swap(previous, picture);
        ++index;
        return {};
    };
    run_figures f;
    if (!run_show(
            "scenes", measure, [] { return result<>{}; }, f)) {
        return 1;
    }
    std::printf("| row | starts at s | frames | pixels changed a frame |\n|---|---|---|---|\n");
    for (std::size_t row = 1; row < show_timeline.size(); ++row) {
        if (frames[row] > 0) {
            std::printf("| %zu | %.2f | %d | %.1f %% |\n", row,
                        static_cast<double>(show_timeline[row].start_ticks) / show_ticks_per_second,
                        frames[row], 100 * changed[row] / frames[row]);
        }
    }
    return 0;
}

// Frames whose pictures are compared, one in each kind of scene (by their time in seconds
// at 60 frames a second): the empty channel, fire, the flickering image, plasma under the
// flickering image (the busiest: `scenes` finds 38 % of its pixels changing each frame),
// plasma alone, the long middle scene, the twirling counter and the credits.
const std::set<int> checked_frames = {3 * fps,  8 * fps,  13 * fps, 18 * fps,
                                      24 * fps, 40 * fps, 60 * fps, 72 * fps};

struct candidate {
    std::string name;
    video_format format;
    encoder_settings settings;
};

// x264 keeping to a bit rate, so that the file's size follows from its length.
encoder_settings x264(const char* preset, const char* params, std::int64_t video_rate,
                      std::int64_t audio_rate) {
    encoder_settings s{{{"preset", preset}}, 600, video_rate, 0, audio_rate};
    if (params[0] != '\0') {
        s.video_options.emplace_back("x264-params", params);
    }
    return s;
}

encoder_settings vp9(const char* deadline, const char* cpu_used, const char* content,
                     std::int64_t video_rate, std::int64_t audio_rate) {
    encoder_settings s{
        {{"deadline", deadline}, {"cpu-used", cpu_used}, {"row-mt", "1"}, {"tile-columns", "2"}},
        600,
        video_rate,
        audio_rate};
    if (content[0] != '\0') {
        s.video_options.emplace_back("tune-content", content);
    }
    return s;
}

std::vector<candidate> all_candidates() {
    std::vector<candidate> list = {
        {"mp4 chosen normal", video_format::mp4,
         encoder_settings_for(video_format::mp4, video_size::normal)},
        {"mp4 chosen small", video_format::mp4,
         encoder_settings_for(video_format::mp4, video_size::small)},
        {"webm chosen normal", video_format::webm,
         encoder_settings_for(video_format::webm, video_size::normal)},
        {"webm chosen small", video_format::webm,
         encoder_settings_for(video_format::webm, video_size::small)},
    };
    // The x264 settings tried: its presets as they are; fewer, better-aimed bits for flat
    // colours (no psychovisual sharpening, no adaptive quantisers, a light deblocking);
    // x264's animation tuning (more reference frames and B-frames, for pictures that come
    // back); and both together with the quantiser adapting to structure, which SSIM rewards.
    const struct {
        const char* name;
        const char* preset;
        const char* params;
    } x264_tries[] = {
        {"superfast", "superfast", ""},
        {"superfast ssim", "superfast", "psy-rd=0,0:aq-mode=2"},
        {"superfast refs", "superfast", "bframes=5:ref=4"},
        {"superfast refs ssim", "superfast", "psy-rd=0,0:aq-mode=2:bframes=5:ref=4"},
        {"superfast more refs ssim", "superfast", "psy-rd=0,0:aq-mode=2:bframes=8:ref=8"},
        {"superfast most refs ssim", "superfast", "psy-rd=0,0:aq-mode=2:bframes=8:ref=16"},
        {"superfast umh refs ssim", "superfast",
         "psy-rd=0,0:aq-mode=2:bframes=8:ref=16:me=umh:merange=32"},
        {"superfast esa refs ssim", "superfast",
         "psy-rd=0,0:aq-mode=2:bframes=8:ref=16:me=esa:merange=32"},
        {"veryfast", "veryfast", ""},
        {"veryfast flat", "veryfast", "psy-rd=0,0:aq-mode=0:deblock=-1,-1"},
        {"veryfast ssim", "veryfast", "psy-rd=0,0:aq-mode=2"},
        {"veryfast refs ssim no-mbtree", "veryfast",
         "psy-rd=0,0:aq-mode=2:bframes=5:ref=4:mbtree=0"},
        {"veryfast animation", "veryfast",
         "psy-rd=0.4,0:aq-strength=0.6:deblock=1,1:bframes=5:ref=4"},
        {"veryfast refs ssim", "veryfast", "psy-rd=0,0:aq-mode=2:bframes=5:ref=4"},
        {"faster refs ssim", "faster", "psy-rd=0,0:aq-mode=2:bframes=5:ref=4"},
    };
    const struct {
        const char* name;
        const char* deadline;
        const char* cpu_used;
        const char* content;
    } vp9_tries[] = {
        {"rt8", "realtime", "8", ""},
        {"rt8 screen", "realtime", "8", "screen"},
        {"rt6 screen", "realtime", "6", "screen"},
        {"rt7 screen", "realtime", "7", "screen"},
        {"good5", "good", "5", ""},
        {"good5 screen", "good", "5", "screen"},
        {"good6 screen", "good", "6", "screen"},
        {"good8 screen", "good", "8", "screen"},
    };
    // The frontier of size against sharpness: the chosen MP4 settings at a constant
    // quality each instead of a bit rate.
    // The credits need far more bits than the rest at any quality; lower CRFs and slower
    // presets show how many.
    for (const char* preset : {"superfast", "veryfast", "medium"}) {
        for (const char* crf : {"8", "12", "16", "20", "24", "28", "32", "36"}) {
            encoder_settings s = encoder_settings_for(video_format::mp4, video_size::normal);
            s.video_max_rate = 0;
            s.video_options.front().second = preset;
            s.video_options.emplace_back("crf", crf);
            const std::string name = std::string(preset) == "superfast" ? "" : preset;
            list.push_back({"mp4 frontier " + name + (name.empty() ? "" : " ") + "crf" + crf,
                            video_format::mp4, s});
        }
    }
    // The chosen settings with more of the bits on colour.
    for (const video_size size : {video_size::normal, video_size::small}) {
        encoder_settings s = encoder_settings_for(video_format::mp4, size);
        s.video_options.back().second += ":chroma-qp-offset=-4";
        list.push_back(
            {std::string("mp4 chroma-4 ") + (size == video_size::small ? "small" : "normal"),
             video_format::mp4, s});
    }
    for (const video_size size : {video_size::normal, video_size::small}) {
        const encoder_settings chosen_mp4 = encoder_settings_for(video_format::mp4, size);
        const encoder_settings chosen_webm = encoder_settings_for(video_format::webm, size);
        const std::string rate = size == video_size::small ? " small" : " normal";
        for (const auto& t : x264_tries) {
            list.push_back(
                {std::string("mp4 ") + t.name + rate, video_format::mp4,
                 x264(t.preset, t.params, chosen_mp4.video_bit_rate, chosen_mp4.audio_bit_rate)});
        }
        for (const auto& t : vp9_tries) {
            list.push_back({std::string("webm ") + t.name + rate, video_format::webm,
                            vp9(t.deadline, t.cpu_used, t.content, chosen_webm.video_bit_rate,
                                chosen_webm.audio_bit_rate)});
        }
    }
    return list;
}

// Frames of the show to export: from `first`, `count` of them, or all for 0.
struct frame_stretch {
    int first = 0;
    int count = 0;
};

// Exports the show, or a stretch of it, with `c`, then reads the checked frames back and
// compares them with the pictures drawn for them. A stretch checks six of its frames.
bool try_candidate(const candidate& c, const std::string& folder, const decoded_sound& music,
                   frame_stretch stretch) {
    const std::string path =
        folder + "/candidate." + (c.format == video_format::webm ? "webm" : "mp4");
    std::set<int> checks = checked_frames;
    std::vector<std::int16_t> sound = music.samples;
    if (stretch.count > 0) {
        checks.clear();
        for (int k = 0; k < 6; ++k) {
            checks.insert(k * (stretch.count - 1) / 5);
        }
        sound.erase(sound.begin(),
                    sound.begin() + std::int64_t{stretch.first} * music.frames_per_second / fps);
    }
    video_writer video;
    bool opened = false;
    frame_picture picture;
    std::map<int, std::vector<std::uint8_t>> drawn;
    int index = -stretch.first;
    const auto encode = [&](const screen_buffer& frame) -> result<> {
        if (index < 0 || (stretch.count > 0 && index >= stretch.count)) {
            ++index;
            return {};
        }
        if (!opened) {
            result<> open = video.open(path, c.format, fps, picture_base_width * scale,
                                       picture_base_height * scale,
                                       {sound, music.frames_per_second}, c.settings);
            if (!open) {
                return open;
            }
            opened = true;
        }
        draw_frame_picture(frame, scale, picture);
        if (checks.contains(index)) {
            std::vector<std::uint8_t>& rgb = drawn[index];
            for (const std::uint8_t colour : picture.colours) {
                const rgb_colour& p = text_mode_palette[colour];
                rgb.insert(rgb.end(), {p.red, p.green, p.blue});
            }
        }
        ++index;
        return video.add_frame(picture);
    };
    run_figures f;
    if (!run_show(
            c.name.c_str(), encode, [&] { return video.finish(); }, f)) {
        return false;
    }
    const video_frames decoded = read_video_frames(path, checks);
    if (!decoded.problem.empty()) {
        std::fprintf(stderr, "bench-export-show: %s: %s\n", c.name.c_str(),
                     decoded.problem.c_str());
        return false;
    }
    double worst_ssim = 1;
    double worst_off = 0;
    std::string each;
    for (const auto& [at, want] : drawn) {
        const picture_likeness l =
            compare_pictures(want, decoded.rgb.at(at), decoded.width, decoded.height);
        worst_ssim = std::min(worst_ssim, l.luma_ssim);
        worst_off = std::max(worst_off, l.off_share);
        char cell[32];
        std::snprintf(cell, sizeof cell, " %.3f/%.1f", l.luma_ssim, 100 * l.off_share);
        each += cell;
    }
    std::printf("| %-30s | %6.1f | %6.1f | %6.1f | %4.1f | %.3f | %4.1f %% |%s\n", c.name.c_str(),
                file_megabytes(path), f.wall, f.cpu, f.load, worst_ssim, 100 * worst_off,
                each.c_str());
    std::fflush(stdout);
    return true;
}

int candidates(const std::string& name_part, const std::string& folder, frame_stretch stretch) {
    const result<decoded_sound> music = decode_mono16(soundtrack_file_name);
    if (!music) {
        std::fprintf(stderr, "bench-export-show: %s: %s\n", soundtrack_file_name,
                     music.error().c_str());
        return 1;
    }
    std::printf(
        "| candidate | MB | wall s | cpu s | load | worst SSIM | worst off | each frame "
        "(SSIM/off %%) |\n|---|---|---|---|---|---|---|---|\n");
    for (const candidate& c : all_candidates()) {
        if (c.name.find(name_part) != std::string::npos &&
            !try_candidate(c, folder, *music, stretch)) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help") {
        std::printf(
            "usage: bench-export-show [OUTPUT.mp4] | scenes | candidates [NAME-PART] "
            "[FOLDER] [START-S SECONDS]   (run in the show's folder)\n");
        return 0;
    }
    av_log_set_level(AV_LOG_QUIET);
    if (first == "scenes") {
        return scenes();
    }
    if (first == "candidates") {
        frame_stretch stretch;
        if (argc > 5) {
            stretch = {static_cast<int>(std::atof(argv[4]) * fps),
                       static_cast<int>(std::atof(argv[5]) * fps)};
        }
        return candidates(argc > 2 ? argv[2] : "", argc > 3 ? argv[3] : "/tmp", stretch);
    }
    const std::string output = argc > 1 ? argv[1] : "/tmp/bench-export.mp4";
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
                                       {std::move(music->samples), music->frames_per_second},
                                       encoder_settings_for(video_format::mp4, video_size::normal));
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
    std::printf("\n%s: %.1f MB\n", output.c_str(), file_megabytes(output));
    return 0;
}
