// Renders chosen moments of the show without a terminal: the whole show through its
// timeline, or one shared effect on its own, one 4000-byte frame file per tick value.
// It finds the screen files as the show does, so it runs from any folder.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "composition/show_composition.hpp"
#include "picture/frame_picture.hpp"
#include "picture/png_file.hpp"
#include "platform/process.hpp"
#include "show/effect.hpp"
#include "show/screen_text.hpp"
#include "show/show_buffer.hpp"
#include "show/show_ticks.hpp"
#include "show/timeline.hpp"
#include "tools/show_frames/frames_options.hpp"

namespace {

constexpr const char* usage =
    "usage: show-frames [--effect NAME] (--ticks T1,T2,... | --ticks-file FILE) --out DIR "
    "[--text] [--png [--scale N]]";

// The help, with the tick rate, the shared effects' names and the last tick written in.
void print_help() {
    std::printf("%s\n\n", usage);
    std::printf(
        "Renders chosen moments of the show without a terminal, one frame-NNNNN.bin\n"
        "(4000 bytes: 80 x 25 cells of character and attribute) per tick value, in order.\n"
        "It finds the show's data files as the show does: in the working directory, then\n"
        "beside the program, then in ../share/textshow relative to the program.\n"
        "\n"
        "  --ticks T1,T2,...  show ticks (1/%d s) to render, in this order\n"
        "  --ticks-file FILE  the same, one tick value per line\n"
        "  --out DIR          where the frames go (made if missing)\n"
        "  --effect NAME      render one shared effect on its own instead of the timeline:",
        show_ticks_per_second);
    constexpr std::size_t indent = 21;
    constexpr std::size_t width = 88;
    std::size_t column = width;
    const std::span<const std::string_view> names = show_shared_names();
    for (std::size_t at = 0; at < names.size(); ++at) {
        const std::size_t length = names[at].size() + (at + 1 < names.size() ? 1 : 0);
        if (column + 1 + length > width) {
            std::printf("\n%*s", static_cast<int>(indent), "");
            column = indent;
        } else {
            std::printf(" ");
            ++column;
        }
        std::printf("%.*s%s", static_cast<int>(names[at].size()), names[at].data(),
                    at + 1 < names.size() ? "," : "");
        column += length;
    }
    std::printf("\n");
    std::printf(
        "  --text             also frame-NNNNN.txt, the readable text form\n"
        "  --png              also frame-NNNNN.png, 640 x 400 in the text-mode palette\n"
        "  --scale N          enlarge the pictures N times (1 to 8)\n"
        "\n"
        "The whole show ends the process with exit code 23 when it reaches its last scene\n"
        "(at tick %d), before that frame is written.\n"
        "Exit code 2: bad arguments; 1: a file could not be written.\n",
        show_last_tick);
}

std::string frame_path(const std::string& dir, std::size_t index, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05zu.%s", index, extension);
    return (std::filesystem::path(dir) / name).string();
}

bool write_file(const std::string& path, const char* data, std::size_t size) {
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "show-frames: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno != 0 ? errno : EIO));
        return false;
    }
    return true;
}

bool write_frame(const frames_options& options, std::size_t index, const screen_buffer& frame) {
    if (!write_file(frame_path(options.out_dir, index, "bin"),
                    reinterpret_cast<const char*>(frame.data()), frame.size())) {
        return false;
    }
    if (options.text) {
        const std::string text = screen_to_text(frame);
        if (!write_file(frame_path(options.out_dir, index, "txt"), text.data(), text.size())) {
            return false;
        }
    }
    if (options.png) {
        // One picture reused for every frame: its storage is the largest thing here.
        static frame_picture picture;
        draw_frame_picture(frame, options.scale, picture);
        const std::string path = frame_path(options.out_dir, index, "png");
        if (const result<> written = write_png(path, picture); !written) {
            std::fprintf(stderr, "show-frames: cannot write %s: %s\n", path.c_str(),
                         written.error().c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    report_as("show-frames");
    const result<frames_options> options =
        frames_parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::fprintf(stderr, "show-frames: %s (%s)\n", options.error().c_str(), usage);
        return 2;
    }
    if (options->help) {
        print_help();
        return 0;
    }
    std::error_code made;
    std::filesystem::create_directories(options->out_dir, made);
    if (made) {
        std::fprintf(stderr, "show-frames: cannot create %s: %s\n", options->out_dir.c_str(),
                     made.message().c_str());
        return 1;
    }

    show_compose();
    // Alone, an effect gets a buffer of its own, as fresh as show_buffer is at start.
    static screen_buffer effect_buffer{};
    for (std::size_t index = 0; index < options->ticks.size(); ++index) {
        const std::int32_t t = options->ticks[index];
        // The timeline's last row ends the process here, before this frame is written,
        // just as it ends the show.
        if (options->effect_name.empty()) {
            timeline_render(show_buffer, t);
        } else {
            render_child(*show_shared_effect(options->effect_name), t, effect_buffer);
        }
        const screen_buffer& frame = options->effect_name.empty() ? show_buffer : effect_buffer;
        if (!write_frame(*options, index, frame)) {
            return 1;
        }
    }
    return 0;
}
