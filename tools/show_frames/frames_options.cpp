#include "tools/show_frames/frames_options.hpp"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "composition/show_composition.hpp"
#include "picture/frame_picture.hpp"

namespace {

// A tick is a show clock reading: a signed 32-bit decimal, nothing around it.
bool parse_tick(std::string_view text, std::int32_t& tick) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, tick);
    return !text.empty() && result.ec == std::errc{} && result.ptr == end;
}

result<std::vector<std::int32_t>> parse_tick_list(std::string_view list) {
    std::vector<std::int32_t> ticks;
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        std::int32_t tick = 0;
        if (!parse_tick(item, tick)) {
            return failure("--ticks: \"" + std::string(item) + "\" is not a 32-bit tick value");
        }
        ticks.push_back(tick);
        if (comma == std::string_view::npos) {
            return ticks;
        }
        list.remove_prefix(comma + 1);
    }
}

result<std::vector<std::int32_t>> read_tick_file(const std::string& path) {
    // A folder opens as a stream that reads nothing, which would pass for an empty list.
    if (std::filesystem::is_directory(path)) {
        return failure("--ticks-file: " + path + " is a folder, not a file of tick values");
    }
    std::ifstream in(path);
    if (!in) {
        return failure("--ticks-file: cannot read " + path);
    }
    std::vector<std::int32_t> ticks;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::int32_t tick = 0;
        if (!parse_tick(line, tick)) {
            return failure(path + ": line " + std::to_string(number) + ": \"" + line +
                           "\" is not a 32-bit tick value");
        }
        ticks.push_back(tick);
    }
    return ticks;
}

}  // namespace

bool parse_scale(std::string_view text, int& scale) {
    const char* end = text.data() + text.size();
    int value = 0;
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end || value < 1 ||
        value > picture_max_scale) {
        return false;
    }
    scale = value;
    return true;
}

result<frames_options> frames_parse_options(const std::vector<std::string>& args) {
    frames_options options;
    std::optional<std::string> tick_list;
    std::optional<std::string> tick_file;
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        options.help = true;
        return options;
    }
    bool scale_given = false;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& option = args[at];
        if (option == "--text" || option == "--png") {
            (option == "--text" ? options.text : options.png) = true;
            continue;
        }
        if (option != "--effect" && option != "--ticks" && option != "--ticks-file" &&
            option != "--out" && option != "--scale") {
            return failure("unknown argument \"" + option + "\"");
        }
        if (at + 1 == args.size()) {
            return failure(option + " needs a value");
        }
        const std::string& value = args[++at];
        if (option == "--effect") {
            options.effect_name = value;
        } else if (option == "--ticks") {
            tick_list = value;
        } else if (option == "--ticks-file") {
            tick_file = value;
        } else if (option == "--scale") {
            if (!parse_scale(value, options.scale)) {
                return failure("--scale: expected a whole number from 1 to " +
                               std::to_string(picture_max_scale) + ", not \"" + value + "\"");
            }
            scale_given = true;
        } else {
            options.out_dir = value;
        }
    }
    const std::span<const std::string_view> shared_names = show_shared_names();
    if (!options.effect_name.empty() && std::find(shared_names.begin(), shared_names.end(),
                                                  options.effect_name) == shared_names.end()) {
        return failure("--effect: no shared effect is called \"" + options.effect_name + "\"");
    }
    if (scale_given && !options.png) {
        return failure("--scale sizes the pictures of --png; give --png too");
    }
    if (tick_list.has_value() == tick_file.has_value()) {
        return failure("give exactly one of --ticks and --ticks-file");
    }
    if (options.out_dir.empty()) {
        return failure("--out DIR is required");
    }
    result<std::vector<std::int32_t>> ticks =
        tick_list ? parse_tick_list(*tick_list) : read_tick_file(*tick_file);
    if (!ticks) {
        return failure(std::move(ticks).error());
    }
    options.ticks = std::move(*ticks);
    return options;
}
