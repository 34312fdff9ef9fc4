#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "show/screen_text.hpp"
#include "tests/show/run_tool.hpp"

namespace {

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::size_t line_count(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(show_frames, bad_arguments_give_exit_code_2_and_one_line) {
    run_tool::scratch_dir scratch;
    const std::string out = scratch.path() + "/frames";
    const std::string ticks = scratch.path() + "/ticks.txt";
    write_text(ticks, "1\n2\nthree\n");
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--ticks", "1"},
        {"--ticks", "1", "--ticks-file", ticks, "--out", out},
        {"--ticks", "1,,2", "--out", out},
        {"--ticks", "2147483648", "--out", out},
        {"--effect", "sparkle", "--ticks", "1", "--out", out},
        {"--ticks", "1", "--out", out, "--slow"},
        {"--ticks", "1", "--out"},
    };
    for (const auto& args : cases) {
        const run_tool::result run = run_tool::run("show-frames", args, scratch);
        EXPECT_EQ(run.exit_code, 2) << run.error_output;
        EXPECT_EQ(line_count(run.error_output), 1u) << run.error_output;
    }
    const run_tool::result run =
        run_tool::run("show-frames", {"--ticks-file", ticks, "--out", out}, scratch);
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.error_output.find("line 3"), std::string::npos) << run.error_output;
    EXPECT_FALSE(std::filesystem::exists(out + "/frame-00000.bin"));
}

TEST(show_frames, inline_ticks_and_text_frames_show_the_same_show) {
    run_tool::scratch_dir scratch;
    const std::string out = scratch.path() + "/frames";
    const run_tool::result run = run_tool::run(
        "show-frames", {"--ticks", "1,110001,132001", "--out", out, "--text"}, scratch);
    EXPECT_EQ(run.exit_code, 0) << run.error_output;
    const run_tool::result from_file = run_tool::show_frames({1, 110001, 132001});
    ASSERT_EQ(from_file.frames.size(), 3u);
    for (std::size_t index = 0; index < 3; ++index) {
        const std::string name = out + "/frame-0000" + std::to_string(index);
        const screen_buffer frame = run_tool::to_screen(run_tool::read_file(name + ".bin"));
        EXPECT_EQ(frame, from_file.frames[index]) << "frame " << index;
        EXPECT_EQ(run_tool::read_file(name + ".txt"), screen_to_text(frame)) << "frame " << index;
    }
}

TEST(screen_convert, converts_one_exact_screen_and_names_the_line_of_a_bad_one) {
    run_tool::scratch_dir scratch;
    const std::string source = scratch.path() + "/screen.txt";
    const std::string screen_path = scratch.path() + "/screen.jpg";
    screen_buffer screen{};
    for (std::size_t at = 0; at < screen.size(); ++at) {
        screen[at] = static_cast<std::uint8_t>(at * 37 % 256);
    }
    const std::string text = screen_to_text(screen);
    write_text(source, text);
    EXPECT_EQ(run_tool::run("screen-convert", {source, screen_path}, scratch).exit_code, 0);
    EXPECT_EQ(run_tool::read_file(screen_path), std::string(screen.begin(), screen.end()));

    std::size_t line_7 = 0;
    for (int line = 1; line < 7; ++line) {
        line_7 = text.find('\n', line_7) + 1;
    }
    const std::vector<std::pair<std::string, std::string>> bad{
        {text.substr(0, line_7) + "x" + text.substr(line_7), "line 7"},
        {text.substr(0, text.rfind('\n', text.size() - 2) + 1), "line 77"},
    };
    for (const auto& [source_text, fault] : bad) {
        std::filesystem::remove(screen_path);
        write_text(source, source_text);
        const run_tool::result run =
            run_tool::run("screen-convert", {source, screen_path}, scratch);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_NE(run.error_output.find(fault), std::string::npos) << run.error_output;
        EXPECT_FALSE(std::filesystem::exists(screen_path));
    }
}
