// show-export: its arguments and failures, and what its files hold when read back with
// FFmpeg's libraries: the frames show-frames gives, for as long as the timeline lasts,
// with the soundtrack under them from the first frame.

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "base/data_file_names.hpp"
#include "show/show_ticks.hpp"
#include "sound/decoder.hpp"
#include "tests/show/run_tool.hpp"
#include "tests/tools/media_file.hpp"
#include "tests/tools/png_reading.hpp"
#include "tools/show_export/progress_bar.hpp"

namespace {

// The timeline's last row starts here; the frame after it ends the show.
constexpr double show_seconds = double{show_last_tick} / show_ticks_per_second;

int frames_at(int fps) {
    return static_cast<int>(std::int64_t{show_last_tick} * fps / show_ticks_per_second) + 1;
}

std::vector<std::int16_t> soundtrack() {
    const result<decoded_sound> decoded =
        decode_mono16((std::string(TEXTSHOW_BINARY_DIR "/bin/") + soundtrack_file_name).c_str());
    EXPECT_TRUE(decoded.has_value()) << decoded.error();
    return decoded ? decoded->samples : std::vector<std::int16_t>{};
}

int count_lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(show_export, bad_arguments_give_exit_code_2_and_one_line) {
    for (const std::string args :
         {"", " --format gif out.mp4", " --fps 0 out.mp4", " --fps 241 out.mp4",
          " --scale 9 out.mp4", " --scale two out.mp4", " --cast --scale 2 out.cast",
          " --cast --music x.ogg out.cast", " --slow out.mp4", " a.mp4 b.mp4", " --fps"}) {
        const run_tool::result run = run_tool::run("show-export" + args);
        EXPECT_EQ(run.exit_code, 2) << args;
        EXPECT_EQ(count_lines(run.error_output), 1) << args << ": " << run.error_output;
    }
    EXPECT_EQ(run_tool::run("show-export --help").exit_code, 0);
}

TEST(show_export, failures_say_why_in_one_line_and_leave_nothing_behind) {
    const run_tool::scratch_dir scratch;
    const std::string out = scratch.path + "/show.mp4";
    const struct {
        std::string args;
        std::string reason;
    } cases[] = {
        {scratch.path + "/missing/show.mp4", "No such file or directory"},
        {"--cast " + scratch.path, "is a folder"},
        {"--music " + scratch.path + "/none.ogg " + out, "none.ogg"},
    };
    for (const auto& c : cases) {
        const run_tool::result run = run_tool::run("show-export " + c.args);
        EXPECT_EQ(run.exit_code, 1) << c.args;
        EXPECT_EQ(count_lines(run.error_output), 1) << run.error_output;
        EXPECT_NE(run.error_output.find(c.reason), std::string::npos) << run.error_output;
    }
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path)) << "no file, whole or partial";
}

TEST(show_export, lossless_video_holds_the_frames_of_show_frames_and_the_soundtrack) {
    // Two frames a second still gives every timeline row two frames or more: rows start
    // at least a second apart.
    constexpr int fps = 2;
    const run_tool::scratch_dir scratch;
    const std::string video = scratch.path + "/show.mkv";
    const run_tool::result run = run_tool::run("show-export --format lossless --scale 1 --fps " +
                                               std::to_string(fps) + " " + video);
    ASSERT_EQ(run.exit_code, 0) << run.error_output;
    EXPECT_EQ(run.error_output, "") << "quiet when standard error is not a terminal";
    const media_file file = read_media(video);
    ASSERT_TRUE(file.opened);
    EXPECT_EQ(file.video.codec, AV_CODEC_ID_FFV1);
    EXPECT_EQ(file.audio.codec, AV_CODEC_ID_FLAC);
    EXPECT_EQ(av_cmp_q(file.video.frame_rate, AVRational{fps, 1}), 0);
    const int frames = frames_at(fps);
    ASSERT_EQ(static_cast<int>(file.pictures.size()), frames);
    EXPECT_NEAR(static_cast<double>(frames) / fps, show_seconds, 1.0 / fps);

    std::string ticks;
    for (int k = 0; k <= frames; ++k) {
        ticks += std::to_string(show_frame_tick(k, fps)) + "\n";
    }
    const run_tool::result pngs = run_tool::run("show-frames --png --ticks-file " +
                                                scratch.write(ticks) + " --out " + scratch.path);
    EXPECT_EQ(pngs.exit_code, 23) << "the frame after the last ends the show";
    for (int k = 0; k < frames; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%05d.png", k);
        const png_rgb picture = read_png_rgb(scratch.path + name);
        ASSERT_EQ(picture.width, 640);
        ASSERT_TRUE(picture.pixels == file.pictures[static_cast<std::size_t>(k)]) << "frame " << k;
    }

    EXPECT_EQ(file.audio.start_seconds, file.video.start_seconds) << "one start for both";
    const std::vector<std::int16_t> music = soundtrack();
    ASSERT_EQ(file.audio.sample_rate, 44100);
    EXPECT_EQ(file.samples.size(), static_cast<std::size_t>(frames) * 44100 / fps)
        << "the sound ends with the last frame";
    std::size_t differing = 0;
    for (std::size_t i = 0; i < file.samples.size(); ++i) {
        const float want = i < music.size() ? static_cast<float>(music[i]) / 32768.0f : 0.0f;
        differing += file.samples[i] != want ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u) << "FLAC gives back every sample, from the first frame on";
}

TEST(show_export, mp4_and_webm_carry_their_codecs_and_the_music_aligned_to_the_picture) {
    const run_tool::scratch_dir scratch;
    const struct {
        std::string format;
        AVCodecID video;
        AVCodecID audio;
    } cases[] = {{"mp4", AV_CODEC_ID_H264, AV_CODEC_ID_AAC},
                 {"webm", AV_CODEC_ID_VP9, AV_CODEC_ID_OPUS}};
    const std::vector<std::int16_t> music = soundtrack();
    for (const auto& c : cases) {
        const std::string video = scratch.path + "/show." + c.format;
        const run_tool::result run =
            run_tool::run("show-export --fps 1 --scale 1 --format " + c.format + " " + video);
        ASSERT_EQ(run.exit_code, 0) << run.error_output;
        const media_file file = read_media(video);
        ASSERT_TRUE(file.opened) << c.format;
        EXPECT_EQ(file.video.codec, c.video) << c.format;
        EXPECT_EQ(file.audio.codec, c.audio) << c.format;
        EXPECT_EQ(file.video.width, 640);
        EXPECT_EQ(file.video.height, 400);
        EXPECT_EQ(static_cast<int>(file.pictures.size()), frames_at(1)) << c.format;
        EXPECT_NEAR(file.duration_seconds, show_seconds, 1.0) << c.format;
        // Codecs that prime their decoder may shift the sound's first timestamp a little,
        // never by a frame of 60 fps.
        EXPECT_NEAR(file.audio.start_seconds, file.video.start_seconds, 1.0 / 60) << c.format;
        if (c.format != "mp4") {
            continue;
        }
        // AAC at the soundtrack's own rate: the best match of the decoded sound against
        // the soundtrack lies within one frame of 60 fps, and is close there.
        ASSERT_EQ(file.audio.sample_rate, 44100);
        const int window_start = 20 * 44100;
        const int window = 2 * 44100;
        const int reach = 44100 / 30;
        // The lag at which the decoded sound is nearest the soundtrack.
        int best_lag = 0;
        double error = 1e300;
        double signal = 0;
        for (int lag = -reach; lag <= reach; ++lag) {
            double lag_error = 0;
            signal = 0;
            for (int i = window_start; i < window_start + window; ++i) {
                const double want = music[static_cast<std::size_t>(i)] / 32768.0;
                const double got = file.samples[static_cast<std::size_t>(i + lag)];
                lag_error += (got - want) * (got - want);
                signal += want * want;
            }
            if (lag_error < error) {
                error = lag_error;
                best_lag = lag;
            }
        }
        EXPECT_LE(std::abs(best_lag), 44100 / 60) << "sound ahead of or behind the picture";
        EXPECT_LT(error, 0.01 * signal) << "more than AAC's loss";
    }
}

TEST(progress_bar, shows_the_share_done_and_the_time_left_at_the_pace_so_far) {
    char line[96];
    format_progress(25, 100, 10.0, line, sizeof line);
    EXPECT_STREQ(line, "[#######.......................]  25%  0:30 left");
    format_progress(100, 100, 95.0, line, sizeof line);
    EXPECT_STREQ(line, "[##############################] 100%  0:00 left");
}
