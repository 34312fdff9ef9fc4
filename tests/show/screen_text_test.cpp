// The screen text form, in-process and through the screen-convert tool.

#include "show/screen_text.hpp"

#include <gtest/gtest.h>

#include "tests/show/run_tool.hpp"

namespace {

screen_buffer every_code_and_attribute() {
    screen_buffer screen{};
    for (std::size_t cell = 0; cell < screen.size() / 2; ++cell) {
        screen[2 * cell] = static_cast<std::uint8_t>(cell);
        screen[2 * cell + 1] = static_cast<std::uint8_t>(cell * 7);
    }
    return screen;
}

std::string replace_line(const std::string& text, int line_number, const std::string& with) {
    std::size_t start = 0;
    for (int i = 1; i < line_number; ++i) {
        start = text.find('\n', start) + 1;
    }
    return text.substr(0, start) + with + text.substr(text.find('\n', start));
}

// Runs screen-convert over `text`; the screen file it writes is returned, empty if none.
std::pair<run_tool::result, std::string> convert(const std::string& text) {
    const run_tool::scratch_dir scratch;
    const std::string screen_path = scratch.path + "/screen.jpg";
    const run_tool::result run =
        run_tool::run("screen-convert " + scratch.write(text) + " " + screen_path);
    return {run, run_tool::read_file(screen_path)};
}

}  // namespace

TEST(screen_text, round_trips_every_code_and_attribute) {
    const screen_buffer screen = every_code_and_attribute();
    const result<screen_buffer> back = screen_from_text(screen_to_text(screen));
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, screen);
    const auto [run, converted] = convert(screen_to_text(screen));
    EXPECT_EQ(run.exit_code, 0) << run.error_output;
    EXPECT_EQ(converted, std::string(screen.begin(), screen.end()));
}

TEST(screen_text, rejects_malformed_sources_naming_the_line_and_so_does_screen_convert) {
    const std::string good = screen_to_text(every_code_and_attribute());
    const std::pair<std::string, std::string> bad[] = {
        {replace_line(good, 7, std::string(79, 'x')), "line 7: 79 glyphs, expected 80"},
        {replace_line(good, 30, std::string(80, 'g')), "line 30: column 1 is not a hex digit"},
        {replace_line(good, 3, std::string(80, '\xC3')), "line 3: malformed UTF-8"},
        {replace_line(good, 5, "\u20AC" + std::string(79, 'x')),
         "line 5: character U+20AC is not in code page 437"},
        {good.substr(0, good.size() / 2), "line 27: 31 digits, expected 80"},
        {good.substr(0, good.rfind('\n', good.size() - 2) + 1),
         "line 77: missing; the screen needs 77 lines"},
    };
    for (const auto& [text, message] : bad) {
        const result<screen_buffer> back = screen_from_text(text);
        EXPECT_FALSE(back);
        EXPECT_EQ(back.error(), message);
        const auto [run, converted] = convert(text);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(run.error_output.starts_with("screen-convert: ")) << run.error_output;
        EXPECT_NE(run.error_output.find(message), std::string::npos) << run.error_output;
        EXPECT_EQ(converted, "") << "no screen file for a bad source";
    }
}
