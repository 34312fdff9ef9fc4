// The asciicast recording: its header, its frame times, and its bytes replayed through a
// real terminal emulator, which must show the cells show-frames renders.

#include <algorithm>

#include <gtest/gtest.h>

#include "show/show_ticks.hpp"
#include "support/vterm_screen.hpp"
#include "terminal/cp437.hpp"
#include "tests/show/run_tool.hpp"

namespace {

struct cast_event {
    double seconds = 0;
    std::string bytes;
};

// Reads the string that starts after the opening quote at `at`, up to its closing quote.
// The recording escapes quotes, backslashes and control characters, the last as \u00XX.
std::string json_string(const std::string& line, std::size_t at) {
    std::string out;
    while (at < line.size() && line[at] != '"') {
        const char c = line[at++];
        if (c == '\\' && line[at] == 'u') {
            out += static_cast<char>(std::stoi(line.substr(at + 1, 4), nullptr, 16));
            at += 5;
        } else {
            out += c == '\\' ? line[at++] : c;
        }
    }
    return out;
}

// An output event line: [seconds, "o", "bytes"].
bool parse_event(const std::string& line, cast_event& event) {
    const std::string kind = ", \"o\", \"";
    const std::size_t comma = line.find(kind);
    if (line.empty() || line.front() != '[' || comma == std::string::npos) {
        return false;
    }
    event.seconds = std::stod(line.substr(1, comma - 1));
    event.bytes = json_string(line, comma + kind.size());
    return true;
}

constexpr int ansi_of_attribute_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

int ansi_colour(int nibble) {
    return ansi_of_attribute_colour[nibble & 7] + ((nibble & 8) != 0 ? 8 : 0);
}

}  // namespace

TEST(show_cast, replayed_through_a_terminal_it_shows_the_cells_of_show_frames) {
    const run_tool::scratch_dir scratch;
    const std::string cast_path = scratch.path + "/show.cast";
    const run_tool::result run = run_tool::run("show-export --cast " + cast_path);
    ASSERT_EQ(run.exit_code, 0) << run.error_output;

    std::vector<std::int32_t> ticks;
    for (std::int64_t k = 0; k < 5000; ++k) {
        ticks.push_back(show_frame_tick(k, 60));
    }
    const run_tool::result show = run_tool::show_frames(ticks);
    ASSERT_EQ(show.frames.size(), 4969u);

    std::istringstream lines(run_tool::read_file(cast_path));
    std::string header;
    std::getline(lines, header);
    for (const char* field :
         {"\"version\": 2", "\"width\": 80", "\"height\": 25", "\"title\": \"[ALT-RETURN] "}) {
        EXPECT_NE(header.find(field), std::string::npos) << field << " in " << header;
    }

    vterm_screen terminal(80, 25);
    std::size_t frame = 0;
    for (std::string line; std::getline(lines, line); ++frame) {
        // JSON allows no raw control characters inside a string; players refuse them.
        ASSERT_TRUE(std::none_of(line.begin(), line.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            << "frame " << frame;
        cast_event event;
        ASSERT_TRUE(parse_event(line, event)) << line.substr(0, 80);
        ASSERT_LT(frame, show.frames.size());
        ASSERT_NEAR(event.seconds, static_cast<double>(frame) / 60.0, 1e-6) << "frame " << frame;
        terminal.feed(event.bytes);
        if (frame % 16 != 0 && frame + 1 != show.frames.size()) {
            continue;
        }
        const screen_buffer& want = show.frames[frame];
        int wrong = 0;
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 80; ++x) {
                const std::uint8_t ch = want[static_cast<std::size_t>(screen_offset(x, y))];
                const std::uint8_t attribute =
                    want[static_cast<std::size_t>(screen_offset(x, y)) + 1];
                const vterm_screen::cell got = terminal.at(x, y);
                wrong += got.glyph != cp437_code_point(ch) || got.fg != ansi_colour(attribute) ||
                                 got.bg != ansi_colour(attribute >> 4)
                             ? 1
                             : 0;
            }
        }
        ASSERT_EQ(wrong, 0) << "cells differ at frame " << frame;
    }
    EXPECT_EQ(frame, show.frames.size()) << "one event per frame, ending with the show";
}
