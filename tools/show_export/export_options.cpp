#include "tools/show_export/export_options.hpp"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "picture/frame_picture.hpp"

namespace {

bool parse_whole(std::string_view text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    int parsed = 0;
    const auto result = std::from_chars(text.data(), end, parsed);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || parsed < low ||
        parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

// Seconds as a plain decimal number, at least 0 and below the limit a show could reach.
bool parse_seconds(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    double parsed = 0;
    const auto result = std::from_chars(text.data(), end, parsed, std::chars_format::fixed);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || !(parsed >= 0) ||
        parsed > 86400) {
        return false;
    }
    value = parsed;
    return true;
}

bool parse_format(std::string_view text, video_format& format) {
    if (text == "mp4") {
        format = video_format::mp4;
    } else if (text == "webm") {
        format = video_format::webm;
    } else if (text == "lossless") {
        format = video_format::lossless;
    } else {
        return false;
    }
    return true;
}

}  // namespace

result<export_options> export_parse_options(const std::vector<std::string>& args) {
    export_options options;
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        options.help = true;
        return options;
    }
    // Options that shape a video; a recording of the terminal has no pictures or sound.
    std::string video_only;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& option = args[at];
        if (option == "--cast") {
            options.cast = true;
            continue;
        }
        if (!option.starts_with("--")) {
            if (!options.output.empty()) {
                return failure("one OUTPUT file expected, got \"" + options.output + "\" and \"" +
                               option + "\"");
            }
            options.output = option;
            continue;
        }
        if (option != "--fps" && option != "--scale" && option != "--format" &&
            option != "--music" && option != "--size" && option != "--start" &&
            option != "--duration") {
            return failure("unknown option \"" + option + "\"");
        }
        if (at + 1 == args.size()) {
            return failure(option + " needs a value");
        }
        const std::string& value = args[++at];
        if (option == "--fps") {
            if (!parse_whole(value, 1, export_max_fps, options.fps)) {
                return failure("--fps: expected a whole number from 1 to " +
                               std::to_string(export_max_fps) + ", not \"" + value + "\"");
            }
            continue;
        }
        video_only = option;
        if (option == "--scale") {
            if (!parse_whole(value, 1, picture_max_scale, options.scale)) {
                return failure("--scale: expected a whole number from 1 to " +
                               std::to_string(picture_max_scale) + ", not \"" + value + "\"");
            }
        } else if (option == "--format") {
            if (!parse_format(value, options.format)) {
                return failure("--format: expected mp4, webm or lossless, not \"" + value + "\"");
            }
        } else if (option == "--size") {
            if (value != "normal" && value != "small") {
                return failure("--size: expected normal or small, not \"" + value + "\"");
            }
            options.size = value == "small" ? video_size::small : video_size::normal;
        } else if (option == "--start" || option == "--duration") {
            double& seconds =
                option == "--start" ? options.start_seconds : options.duration_seconds;
            // A stretch of no length would be a file of no frames.
            if (!parse_seconds(value, seconds) || (option == "--duration" && seconds == 0)) {
                return failure(option + ": expected seconds such as 12 or 7.5, not \"" + value +
                               "\"");
            }
        } else if (value.empty()) {
            return failure("--music: expected a sound file, not an empty name");
        } else {
            options.music = value;
        }
    }
    if (options.cast && !video_only.empty()) {
        return failure(video_only + " shapes a video; a --cast recording takes only --fps");
    }
    if (options.format == video_format::lossless && options.size == video_size::small) {
        return failure("--size small: a lossless video keeps every pixel, it cannot be smaller");
    }
    if (options.output.empty()) {
        return failure("the OUTPUT file to write is missing");
    }
    return options;
}
