#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>

#include "support/pty_process.hpp"
#include "support/terminal_checks.hpp"
#include "terminal/cp437.hpp"

// textshow.exe under wine in a pseudo-terminal. Wine's console for a program started from
// a terminal draws onto that terminal, so libvterm shows what a console window would: the
// glyphs and colours of the cells WriteConsoleOutputA was given.

namespace {

using namespace std::chrono_literals;

const std::string windows_bin = TEXTSHOW_WINDOWS_BUILD "/bin";

std::unique_ptr<pty_process> start_wine_show() {
    setenv("WINEPREFIX", TEXTSHOW_WINDOWS_BUILD "/wine-prefix", 1);
    setenv("WINEDEBUG", "-all", 1);
    // Wine writes the console's characters in the locale's character set.
    setenv("LANG", "C.UTF-8", 1);
    return std::make_unique<pty_process>(
        std::vector<std::string>{"/usr/bin/wine", windows_bin + "/textshow.exe"}, windows_bin, 80,
        25);
}

bool shows_no_signal(const vterm_screen& screen) {
    for (int y = 0; y < screen.rows(); ++y) {
        std::u32string row;
        for (int x = 0; x < screen.cols(); ++x) {
            row += screen.at(x, y).glyph;
        }
        if (row.find(U"Kein Signal") != std::u32string::npos) {
            return true;
        }
    }
    return false;
}

bool all_blank(const vterm_screen& screen) {
    for (int y = 0; y < screen.rows(); ++y) {
        for (int x = 0; x < screen.cols(); ++x) {
            const auto cell = screen.at(x, y);
            if (cell.glyph != U' ' || cell.bg > 0) {
                return false;
            }
        }
    }
    return true;
}

// The show's first picture, rendered by this build's own renderer: every frame of the
// first second of music is the same no-signal screen, counting from 04:59.
std::string first_frame() {
    const std::string out = std::filesystem::temp_directory_path() / "textshow-wine-first-frame";
    const std::string command =
        "cd " TEXTSHOW_BINARY_DIR "/bin && ./show-frames --ticks 441 --out " + out + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream file(out + "/frame-00000.bin", std::ios::binary);
    std::string frame((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::filesystem::remove_all(out);
    return frame;
}

// The attribute's colours as a terminal's palette indices: blue-green-red order turned
// into ANSI's red-green-blue, intensity as the bright half of the palette.
int palette_index(int nibble) {
    static constexpr int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return ansi[nibble & 7] + (nibble & 8);
}

// How many cells of the screen differ from the frame's, each of the first `reported` of
// them a failure of its own.
int differences(const vterm_screen& screen, const std::string& frame, int reported) {
    int differing = 0;
    for (int cell = 0; cell < 2000; ++cell) {
        const auto ch = static_cast<std::uint8_t>(frame[2 * cell]);
        const auto attribute = static_cast<std::uint8_t>(frame[2 * cell + 1]);
        const auto shown = screen.at(cell % 80, cell / 80);
        const char32_t glyph = ch == 0x00 || ch == 0xFF ? U' ' : cp437_code_point(ch);
        // Wine draws the console's default colours (grey on black) in the terminal's own.
        const int fg = shown.fg < 0 ? 7 : shown.fg;
        const int bg = shown.bg < 0 ? 0 : shown.bg;
        if (shown.glyph != glyph || fg != palette_index(attribute & 0x0F) ||
            bg != palette_index(attribute >> 4)) {
            if (differing++ < reported) {
                ADD_FAILURE() << "cell " << cell % 80 << "," << cell / 80 << ": glyph U+"
                              << std::hex << static_cast<std::uint32_t>(shown.glyph) << " colours "
                              << fg << "/" << bg << ", the frame has character " << int{ch}
                              << " attribute " << int{attribute};
            }
        }
    }
    return differing;
}

}  // namespace

TEST(wine_show, first_frame_is_the_no_signal_screen_and_escape_ends_it_with_42) {
    const std::string frame = first_frame();
    ASSERT_EQ(frame.size(), 4000u);
    auto run = start_wine_show();
    // Character 0 on black before the music starts, then the first rendered frame.
    ASSERT_TRUE(run->pump_until([&] { return all_blank(run->screen()); }, 20s));
    ASSERT_TRUE(run->pump_until([&] { return shows_no_signal(run->screen()); }, 30s));
    // Wine may draw the frame in more than one go; the whole of it is waited for.
    if (!run->pump_until([&] { return differences(run->screen(), frame, 0) == 0; }, 5s)) {
        EXPECT_EQ(differences(run->screen(), frame, 3), 0);
    }
    EXPECT_FALSE(run->screen().cursor_visible());

    run->send("\x1b");
    expect_exit_and_given_back(*run, 42);
}

TEST(wine_show, ctrl_c_is_an_orderly_shutdown_with_0) {
    auto run = start_wine_show();
    ASSERT_TRUE(run->pump_until([&] { return shows_no_signal(run->screen()); }, 30s));
    run->send("\x03");
    expect_exit_and_given_back(*run, 0);
}

// The whole show on the silent output (CI has no sound device): it ends itself at its last
// scene, 82.8 s of music time after it started.
TEST(wine_show, full_run_ends_by_itself_with_23_at_the_last_scene) {
    const auto started = std::chrono::steady_clock::now();
    auto run = start_wine_show();
    ASSERT_TRUE(run->pump_until([&] { return shows_no_signal(run->screen()); }, 30s));
    const auto music_start = std::chrono::steady_clock::now();
    expect_exit_and_given_back(*run, 23, 120s);
    expect_whole_show_length(started, music_start, std::chrono::steady_clock::now());
}
