// The default videos show-export makes, judged on the show's busiest stretch against the
// lossless export of the same stretch, frame by frame: within their share of the size
// budget, and crisp, their glyph edges keeping their colours.

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "show/show_ticks.hpp"
#include "sound/decoder.hpp"
#include "support/picture_likeness.hpp"
#include "support/video_frames.hpp"
#include "tests/show/run_tool.hpp"
#include "tests/tools/media_file.hpp"
#include "tests/tools/png_reading.hpp"

namespace {

constexpr double show_seconds = 1826000.0 / show_ticks_per_second;

// Plasma under the flickering image: more of its pixels change from frame to frame than
// in any other scene (bench-export-show scenes), so a second of it costs the encoders
// more than the show's mean second, and its share of the budget by its length is harder
// to keep than the whole show's.
constexpr int stretch_seconds = 4;
constexpr int stretch_frames = stretch_seconds * 60;

// Six pictures spread over the stretch, counted from its first.
const std::set<int> checked = {0, 47, 95, 143, 191, stretch_frames - 1};

// A stretch's share of a budget for the whole show: by its length, plus two seconds, as
// long as the buffer over which the encoders hold their rate: a buffer lets the first
// moments of a file run over the rate, which the whole show evens out.
double share_of(double whole_show_megabytes) {
    return whole_show_megabytes * 1e6 * (stretch_seconds + 2) / show_seconds;
}

std::string stretch_args() {
    return " --start 16 --duration " + std::to_string(stretch_seconds) + " ";
}

}  // namespace

TEST(show_export_quality, default_videos_keep_their_budget_and_stay_crisp) {
    const run_tool::scratch_dir scratch;
    const std::string reference_path = scratch.path + "/reference.mkv";
    const run_tool::result lossless =
        run_tool::run("show-export --format lossless" + stretch_args() + reference_path);
    ASSERT_EQ(lossless.exit_code, 0) << lossless.error_output;
    const video_frames reference = read_video_frames(reference_path, checked);
    ASSERT_EQ(reference.problem, "");
    ASSERT_EQ(reference.decoded, stretch_frames);

    const struct {
        std::string args;
        std::string file;
        // Megabytes the whole show may take.
        double whole_show_megabytes;
    } cases[] = {{"", "show.mp4", 25}, {"--format webm", "show.webm", 25}};
    for (const auto& c : cases) {
        const std::string path = scratch.path + "/" + c.file;
        const run_tool::result run = run_tool::run("show-export " + c.args + stretch_args() + path);
        ASSERT_EQ(run.exit_code, 0) << run.error_output;
        EXPECT_LE(static_cast<double>(std::filesystem::file_size(path)),
                  share_of(c.whole_show_megabytes))
            << c.file;
        const video_frames got = read_video_frames(path, checked);
        ASSERT_EQ(got.problem, "") << c.file;
        EXPECT_EQ(got.decoded, stretch_frames) << c.file;
        for (const int at : checked) {
            const picture_likeness likeness = compare_pictures(reference.rgb.at(at), got.rgb.at(at),
                                                               reference.width, reference.height);
            EXPECT_GE(likeness.luma_ssim, 0.97) << c.file << " frame " << at;
            EXPECT_LE(likeness.off_share, 0.03) << c.file << " frame " << at;
        }
    }
}

TEST(show_export_quality, the_hardest_stretch_keeps_its_share_of_the_budget) {
    // The credits' twirling digits cost x264 more than any other scene: there the default
    // MP4 is held to its rate ceiling, not to its quality.
    const run_tool::scratch_dir scratch;
    const std::string path = scratch.path + "/credits.mp4";
    const run_tool::result run = run_tool::run("show-export --start 70 --duration " +
                                               std::to_string(stretch_seconds) + " " + path);
    ASSERT_EQ(run.exit_code, 0) << run.error_output;
    EXPECT_LE(static_cast<double>(std::filesystem::file_size(path)), share_of(25));
}

TEST(show_export_quality, a_stretch_starts_with_its_own_frame_and_sound) {
    // A stretch at 10 frames a second beginning between two whole seconds: the first frame
    // is frame 215 of the show, its sound starts 21.5 s into the soundtrack.
    const run_tool::scratch_dir scratch;
    const std::string video = scratch.path + "/stretch.mkv";
    const run_tool::result run = run_tool::run(
        "show-export --format lossless --scale 1 --fps 10 --start 21.5 --duration 1 " + video);
    ASSERT_EQ(run.exit_code, 0) << run.error_output;
    const media_file file = read_media(video);
    ASSERT_TRUE(file.opened);
    ASSERT_EQ(file.pictures.size(), 10u);

    // The show's frames are drawn in order, as a scene's picture may build on its last.
    std::string ticks;
    for (int k = 0; k <= 215; ++k) {
        ticks += std::to_string(show_frame_tick(k, 10)) + "\n";
    }
    const run_tool::result png = run_tool::run("show-frames --png --ticks-file " +
                                               scratch.write(ticks) + " --out " + scratch.path);
    ASSERT_EQ(png.exit_code, 0) << png.error_output;
    EXPECT_TRUE(read_png_rgb(scratch.path + "/frame-00215.png").pixels == file.pictures[0]);

    const result<decoded_sound> music =
        decode_mono16(TEXTSHOW_BINARY_DIR "/bin/soundtrack.avi.txt");
    ASSERT_TRUE(music.has_value()) << music.error();
    ASSERT_EQ(file.samples.size(), 44100u);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < file.samples.size(); ++i) {
        const float want = static_cast<float>(music->samples[i + 21 * 44100 + 22050]) / 32768.0f;
        differing += file.samples[i] != want ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);
}
