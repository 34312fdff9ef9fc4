#include "terminal/frame_encoder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "support/vterm_screen.hpp"
#include "terminal/cp437.hpp"

namespace {

// Every character code and every attribute appears, in changing pairs.
std::vector<char_info> every_code_and_attribute() {
    std::vector<char_info> picture(80 * 25);
    for (int i = 0; i < 80 * 25; ++i) {
        picture[static_cast<std::size_t>(i)] = {static_cast<std::uint16_t>(i % 256),
                                                static_cast<std::uint16_t>((i * 37) % 256)};
    }
    return picture;
}

// The cols x rows cells of the picture from (skip_x, skip_y) on, shown from (left, top).
void expect_picture_at(const vterm_screen& screen, const std::vector<char_info>& picture, int left,
                       int top, int cols, int rows, int skip_x = 0, int skip_y = 0) {
    int wrong = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            const char_info& want =
                picture[static_cast<std::size_t>((y + skip_y) * 80 + x + skip_x)];
            const auto attribute = static_cast<std::uint8_t>(want.attributes);
            const auto got = screen.at(left + x, top + y);
            if (got.glyph != cp437_code_point(static_cast<std::uint8_t>(want.ch)) ||
                got.fg != palette_index_of(attribute & 0x0F) ||
                got.bg != palette_index_of(attribute >> 4)) {
                if (++wrong <= 5) {
                    ADD_FAILURE() << "cell " << x << "," << y << " code " << want.ch
                                  << " attribute " << want.attributes << ": glyph U+" << std::hex
                                  << static_cast<unsigned>(got.glyph) << std::dec << " fg "
                                  << got.fg << " bg " << got.bg;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(frame_encoder, every_glyph_and_colour_reaches_a_real_terminal) {
    const auto picture = every_code_and_attribute();
    frame_encoder encoder;
    std::string bytes;
    encoder.encode(picture.data(), 80, 25, bytes);

    vterm_screen screen(80, 25);
    screen.feed(bytes);
    expect_picture_at(screen, picture, 0, 0, 80, 25);
    EXPECT_EQ(bytes.rfind("\x1b[?2026h", 0), 0U) << "a frame opens synchronized output";
    EXPECT_EQ(bytes.substr(bytes.size() - 8), "\x1b[?2026l");
}

// Changes a picture the way the show's frames change: runs of one glyph in one colour
// (spaces above all, some ending at or one short of the last column), single cells, and
// colours of which only the foreground or only the background changes.
void change_randomly(std::vector<char_info>& picture, std::mt19937& random) {
    const auto pick = [&random](int below) {
        return static_cast<int>(random() % static_cast<unsigned>(below));
    };
    constexpr std::uint16_t glyphs[] = {' ', 0x00, 0xFF, 'A', '#', 0xB2, 0xDB, 0x01};
    constexpr std::uint16_t attributes[] = {0x00, 0x07, 0x09, 0x39, 0x3F, 0x0E,
                                            0x4E, 0x1F, 0x97, 0xF0, 0x8C, 0x04};
    for (int edits = pick(40); edits > 0; --edits) {
        const int length = pick(4) == 0 ? 1 : 1 + pick(80);
        const int x = pick(3) == 0 ? std::max(0, 80 - length - pick(2)) : pick(80);
        const std::uint16_t ch = glyphs[pick(8)];
        const std::uint16_t attribute = attributes[pick(12)];
        char_info* row = picture.data() + 80 * pick(25);
        for (int at = x; at < std::min(80, x + length); ++at) {
            const int keep = pick(6) == 0 ? 0x0F << (4 * pick(2)) : 0;
            row[at] = {
                pick(5) == 0 ? glyphs[pick(8)] : ch,
                static_cast<std::uint16_t>((row[at].attributes & keep) | (attribute & ~keep))};
        }
    }
}

TEST(frame_encoder, long_runs_of_changing_frames_stay_cell_for_cell_right) {
    // The picture's own size, a larger terminal (centred, odd margins), a smaller one
    // (clipped), and REP turned off, in turn on one encoder: each new size is painted
    // anew, and so is a terminal that lost its contents (a resume, say).
    std::mt19937 random(20261207);
    std::vector<char_info> picture(80 * 25);
    frame_encoder encoder;
    vterm_screen screen(80, 25);
    for (const auto& [cols, rows, repeat] : {std::tuple{80, 25, true}, std::tuple{97, 30, true},
                                             std::tuple{61, 20, true}, std::tuple{80, 25, false}}) {
        SCOPED_TRACE(testing::Message() << cols << "x" << rows << (repeat ? "" : " without REP"));
        encoder.set_terminal_size(cols, rows);
        encoder.allow_repeat(repeat);
        screen.resize(cols, rows);
        for (int frame = 0; frame < 400 && !HasFailure(); ++frame) {
            SCOPED_TRACE(testing::Message() << "frame " << frame);
            change_randomly(picture, random);
            if (frame % 97 == 96) {
                encoder.invalidate();
                screen.feed("garbage \x1b[31m everywhere");
            }
            std::string bytes;
            encoder.encode(picture.data(), 80, 25, bytes);
            EXPECT_TRUE(repeat || bytes.find('b') == std::string::npos) << "a REP went out";
            screen.feed(bytes);
            expect_picture_at(screen, picture, std::max(0, (cols - 80) / 2),
                              std::max(0, (rows - 25) / 2), std::min(cols, 80), std::min(rows, 25),
                              std::max(0, (80 - cols) / 2), std::max(0, (25 - rows) / 2));
        }
    }
}

TEST(frame_encoder, runs_and_colour_changes_cost_few_bytes) {
    frame_encoder encoder;
    vterm_screen screen(80, 25);
    std::vector<char_info> picture(80 * 25);
    std::string first;
    encoder.encode(picture.data(), 80, 25, first);
    screen.feed(first);
    // A blank screen is a run of spaces a row.
    EXPECT_LT(first.size(), 25U * 16);

    // Whole rows of one block glyph go out glyph by glyph: xterm repeats nothing past
    // Latin-1, so REP would leave them blank there.
    for (int x = 0; x < 80; ++x) {
        picture[static_cast<std::size_t>(3 * 80 + x)] = {0xB2, 0x1E};
        // One colour alternates, the other stays: each change is one short SGR.
        const bool even = x % 2 == 0;
        picture[static_cast<std::size_t>(7 * 80 + x)] = {
            '=', even ? std::uint16_t{0x1E} : std::uint16_t{0x2E}};
        picture[static_cast<std::size_t>(9 * 80 + x)] = {
            '=', even ? std::uint16_t{0x1E} : std::uint16_t{0x1A}};
    }
    std::string second;
    encoder.encode(picture.data(), 80, 25, second);
    screen.feed(second);
    expect_picture_at(screen, picture, 0, 0, 80, 25);
    EXPECT_EQ(second.find("b"), std::string::npos);
    EXPECT_LT(second.size(), 16U + 80 * 3 + 2 * 80 * (1 + 5) + 40);

    // Pairs of cells in two colours that share neither half alternate along three rows:
    // written colour by colour, each pair costs a cursor jump instead of a whole SGR.
    for (int y = 12; y < 15; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool hash = x / 2 % 2 == 0;
            picture[static_cast<std::size_t>(y * 80 + x)] = {
                hash ? std::uint16_t{'#'} : std::uint16_t{'o'},
                hash ? std::uint16_t{0x1E} : std::uint16_t{0x2C}};
        }
    }
    std::string third;
    encoder.encode(picture.data(), 80, 25, third);
    screen.feed(third);
    expect_picture_at(screen, picture, 0, 0, 80, 25);
    EXPECT_LT(third.size(), 16U + 3 * 40 * (2 + 4) + 60) << "one SGR per pair: 3 * 40 * (2 + 8)";

    std::string unchanged;
    encoder.encode(picture.data(), 80, 25, unchanged);
    EXPECT_EQ(unchanged, "\x1b[?2026h\x1b[?2026l") << "an unchanged frame sends no cells";
}
