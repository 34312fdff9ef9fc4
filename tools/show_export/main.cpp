// Renders the whole show headlessly into one file to share: a video with the music as
// its sound track, or an asciicast recording of the terminal. The frames are the ones
// show-frames gives for the frame-loop ticks k x 22050 / fps, so what is shared is what
// plays. It finds the show's data files as the show does, so it runs from any folder.

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "picture/frame_picture.hpp"
#include "platform/data_files.hpp"
#include "platform/process.hpp"
#include "sound/decoder.hpp"
#include "sound/music.hpp"
#include "tools/show_export/cast_writer.hpp"
#include "tools/show_export/export_options.hpp"
#include "tools/show_export/progress_bar.hpp"
#include "tools/show_export/show_frame_source.hpp"
#include "tools/show_export/staged_output.hpp"
#include "tools/show_export/video_writer.hpp"

namespace {

constexpr const char* usage =
    "usage: show-export [--fps N] [--scale N] [--format mp4|webm|lossless] [--size normal|small]\n"
    "                   [--start SECONDS] [--duration SECONDS] [--music FILE] OUTPUT\n"
    "       show-export --cast [--fps N] OUTPUT";

constexpr const char* help_text =
    "Renders the whole show, from its first frame to its end scene, into OUTPUT.\n"
    "It finds the show's data files as the show does: in the working directory, then\n"
    "beside the program, then in ../share/textshow relative to the program.\n"
    "\n"
    "  --fps N        frames a second, 1 to 240 (default 60)\n"
    "  --scale N      enlarge the 640 x 400 pictures N times, 1 to 8 (default 2)\n"
    "  --format F     mp4: H.264 and AAC (default); webm: VP9 and Opus;\n"
    "                 lossless: FFV1 and FLAC in Matroska\n"
    "  --size S       how many bits a second the lossy formats may spend: normal keeps\n"
    "                 the whole show at the defaults within 25 MB (default), small\n"
    "                 within 10 MB, what mail and chat services commonly take\n"
    "  --start S      begin S seconds into the show (default 0), sound and picture alike\n"
    "  --duration S   export S seconds only (default: to the end of the show)\n"
    "  --music FILE   the sound track (default: the show's own soundtrack)\n"
    "  --cast         an asciicast v2 recording of an 80 x 25 terminal instead\n"
    "\n"
    "Progress is shown when standard error is a terminal. Exit code 0: written;\n"
    "2: bad arguments; 1: anything else, and nothing is left under OUTPUT.\n";

int fail(const std::string& line) {
    std::fprintf(stderr, "show-export: %s\n", line.c_str());
    return 1;
}

// The frames of the show to export: from `first`, `count` of them, or all the rest for 0.
struct frame_range {
    int first = 0;
    int count = 0;
};

frame_range range_of(const export_options& options) {
    return {static_cast<int>(std::lround(options.start_seconds * options.fps)),
            static_cast<int>(std::lround(options.duration_seconds * options.fps))};
}

// Pulls the frames of `range` from `source` into `add`, with a progress bar; fails when
// the show or `add` fails. The frames before the range are rendered all the same: an
// effect's picture may depend on the frames it drew before.
template <typename add_frame>
result<> pass_frames(show_frame_source& source, frame_range range, add_frame&& add) {
    const int rest = std::max(1, source.expected_frames() - range.first);
    progress_bar progress(stderr, range.count > 0 ? std::min(range.count, rest) : rest);
    screen_buffer frame{};
    int frames = 0;
    for (int index = 0; range.count == 0 || frames < range.count; ++index) {
        const result<bool> got = source.next(frame);
        if (!got) {
            return failure("cannot render the show: " + got.error());
        }
        if (!*got) {
            break;
        }
        if (index < range.first) {
            continue;
        }
        if (result<> added = add(frame); !added) {
            return added;
        }
        progress.update(++frames);
    }
    if (frames == 0) {
        return failure("the show ends before the start asked for");
    }
    return {};
}

int export_cast(const export_options& options) {
    staged_output output(options.output);
    if (const result<> prepared = output.prepare(); !prepared) {
        return fail("cannot write " + options.output + ": " + prepared.error());
    }
    // The renderer is forked before the file is opened, so it holds none of its buffers.
    show_frame_source source(options.fps);
    if (const result<> started = source.start(); !started) {
        return fail("cannot render the show: " + started.error());
    }
    cast_writer cast;
    if (const result<> opened = cast.open(output.staging_path(), options.fps); !opened) {
        return fail("cannot write " + options.output + ": " + opened.error());
    }
    const auto add = [&](const screen_buffer& frame) -> result<> {
        if (const result<> added = cast.add_frame(frame); !added) {
            return failure("cannot write " + options.output + ": " + added.error());
        }
        return {};
    };
    if (const result<> passed = pass_frames(source, {}, add); !passed) {
        return fail(passed.error());
    }
    result<> done = cast.finish();
    if (done) {
        done = output.commit();
    }
    if (!done) {
        return fail("cannot write " + options.output + ": " + done.error());
    }
    return 0;
}

int export_video(const export_options& options) {
    staged_output output(options.output);
    if (const result<> prepared = output.prepare(); !prepared) {
        return fail("cannot write " + options.output + ": " + prepared.error());
    }
    // The show's own soundtrack is found where the show finds it; a file named on the
    // command line is taken as it is.
    const std::string music =
        options.music.empty() ? data_file_path(soundtrack_file_name) : options.music;
    result<decoded_sound> decoded = decode_mono16(music.c_str());
    if (!decoded) {
        return fail("cannot read " + music + ": " + decoded.error());
    }
    // The sound starts with the first picture exported.
    const frame_range range = range_of(options);
    const auto skipped =
        std::min(decoded->samples.size(),
                 static_cast<std::size_t>(std::int64_t{range.first} * decoded->frames_per_second /
                                          options.fps));
    decoded->samples.erase(decoded->samples.begin(),
                           decoded->samples.begin() + static_cast<std::ptrdiff_t>(skipped));
    // The renderer is forked before the encoders start their threads and the file opens.
    show_frame_source source(options.fps);
    if (const result<> started = source.start(); !started) {
        return fail("cannot render the show: " + started.error());
    }
    video_writer video;
    const int width = picture_base_width * options.scale;
    const int height = picture_base_height * options.scale;
    if (const result<> opened =
            video.open(output.staging_path(), options.format, options.fps, width, height,
                       {std::move(decoded->samples), decoded->frames_per_second},
                       encoder_settings_for(options.format, options.size));
        !opened) {
        return fail("cannot write " + options.output + ": " + opened.error());
    }
    frame_picture picture;
    const auto add = [&](const screen_buffer& frame) -> result<> {
        draw_frame_picture(frame, options.scale, picture);
        if (const result<> added = video.add_frame(picture); !added) {
            return failure("cannot write " + options.output + ": " + added.error());
        }
        return {};
    };
    if (const result<> passed = pass_frames(source, range, add); !passed) {
        return fail(passed.error());
    }
    result<> done = video.finish();
    if (done) {
        done = output.commit();
    }
    if (!done) {
        return fail("cannot write " + options.output + ": " + done.error());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    report_as("show-export");
    // The libraries' own chatter would break the one-line-per-problem rule; every failure
    // is reported by this program with its reason.
    av_log_set_level(AV_LOG_QUIET);
    const result<export_options> options =
        export_parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::fprintf(stderr, "show-export: %s (see show-export --help)\n", options.error().c_str());
        return 2;
    }
    if (options->help) {
        std::printf("%s\n\n%s", usage, help_text);
        return 0;
    }
    return options->cast ? export_cast(*options) : export_video(*options);
}
