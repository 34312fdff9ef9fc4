// Effects that draw a whole screen from the tick count (or, for the fire, from the step).

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "effects/counters.hpp"
#include "effects/fire_text.hpp"
#include "effects/no_signal.hpp"
#include "effects/plasma_rings.hpp"
#include "effects/scroller.hpp"
#include "effects/show_rand.hpp"
#include "show/show_ticks.hpp"
#include "tests/effects/golden.hpp"

using golden::cell;

namespace {

constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
constexpr auto highest = std::numeric_limits<std::int32_t>::max();

template <typename drawn, typename... arguments>
screen_buffer frame_of(std::int32_t ticks, arguments... args) {
    drawn effect_under_test(args...);
    return golden::frame(effect_under_test, ticks);
}

template <typename drawn, typename... arguments>
int cell_at(std::int32_t ticks, int x, int y, arguments... args) {
    return cell(frame_of<drawn>(ticks, args...), x, y);
}

}  // namespace

TEST(plasma_rings_effect, ring_width_and_rounding_sensitive_cells_and_golden) {
    // At tick 0 (40, 12) lies on rings 16 and 13 at width 1.
    EXPECT_EQ(cell_at<plasma_rings_effect>(0, 40, 12, 1), 0x00'FF);
    // Within a rounding step of a ring boundary: a double speed factor, an unrounded time
    // or unrounded centres would each change one of these.
    EXPECT_EQ(cell_at<plasma_rings_effect>(220337, 51, 10, 2), 0x00'FF);
    EXPECT_EQ(cell_at<plasma_rings_effect>(267196, 69, 8, 2), 0x09'B2);
    EXPECT_EQ(cell_at<plasma_rings_effect>(2708680, 48, 17, 2), 0x09'B2);
    EXPECT_TRUE(golden::matches("plasma_rings", frame_of<plasma_rings_effect>(267196, 2)));
}

TEST(no_signal_effect, countdown_truncates_the_slightly_small_product_and_ends_empty) {
    // The countdown row from the box's left edge to the screen's right edge.
    const auto time_row = [](std::int32_t ticks) {
        const screen_buffer screen = frame_of<no_signal_effect>(ticks);
        std::string row;
        for (int x = 62; x < screen_cols; ++x) {
            row += static_cast<char>(cell(screen, x, 21));
        }
        return row;
    };
    // The factor lies just below 1/22050: whole seconds remaining read one less. Past the
    // end the row is empty; a remainder past 32 bits wraps below zero like the ticks.
    constexpr std::int32_t end = 6615000;
    constexpr std::int32_t second = show_ticks_per_second;
    const std::int32_t ticks[] = {0,  end - second,   end - second - 1, end - 2 * second, end,
                                  -1, end - 13230001, end + 1,          highest,          lowest};
    const std::string times[] = {"04:59", "00:00", "00:01", "00:01", "00:00",
                                 "05:00", "10:00", "",      "",      ""};
    for (int i = 0; i < 10; ++i) {
        const std::string inside =
            times[i].empty() ? "               " : "   " + times[i] + "       ";
        EXPECT_EQ(time_row(ticks[i]), "\xBA" + inside + "\xBA ") << ticks[i];
    }
    // The largest remainder pushes the border off the right edge.
    EXPECT_EQ(time_row(end - highest), "\xBA   1623:11       ");
    EXPECT_TRUE(golden::matches("no_signal", frame_of<no_signal_effect>(0)));
}

TEST(show_rand, starts_from_state_one_with_the_known_values) {
    // Worked by hand from state * 214013 + 2531011 (mod 2^32), bits 16..30.
    show_rand_sequence() = show_rand_state{};
    for (const int expected : {41, 18467, 6334, 26500, 19169, 15724}) {
        EXPECT_EQ(show_rand(), expected);
    }
    // From 0x7FFFFFFF the step wraps to 2149800646, whose bit 31 is set and dropped.
    EXPECT_EQ(show_rand_state(0x7FFFFFFFu).next(), 35);
}

namespace {

// Renders the fire `renders` times from a fresh random sequence.
screen_buffer burnt(fire_text_effect& fire, int renders, std::int32_t ticks = 0) {
    show_rand_sequence() = show_rand_state{};
    screen_buffer screen{};
    for (int i = 0; i < renders; ++i) {
        screen = golden::frame(fire, ticks);
    }
    return screen;
}

}  // namespace

TEST(fire_text_effect, seed_heat_spans_127_to_254_in_both_forms) {
    EXPECT_EQ(seed_heat(0), 127);
    EXPECT_EQ(seed_heat(32767), 254) << "in single precision throughout 32767 reaches 255";
}

TEST(fire_text_effect, draws_its_seeds_from_the_sequence_it_shares_with_any_other_consumer) {
    // 'Z' glyph column 0 row 0 is lit first: its top left corner takes heat 127 from value
    // 41, or 199 from the next value 18467 once another consumer has drawn 41.
    fire_text_effect first;
    EXPECT_EQ(cell(burnt(first, 1), 4, 4), 0x04'B2);
    EXPECT_NE(show_rand(), 41);
    fire_text_effect after_another;
    show_rand_sequence() = show_rand_state{};
    show_rand();
    EXPECT_EQ(cell(golden::frame(after_another, 0), 4, 4), 0x4E'B2);
}

// Every tenth render smooths the field in place, truncating toward zero: (2 - 8) / 8 is 0,
// not -1. Each render is one step whatever its tick value.
TEST(fire_text_effect, smooths_every_tenth_render_with_truncation_toward_zero) {
    fire_text_effect fire;
    EXPECT_TRUE(golden::matches("fire_text", burnt(fire, 25, -123456789)));
}

namespace {

screen_buffer scroller_at(std::int32_t ticks, std::string_view text = "Greetings from ZoRaX!",
                          int top_row = 4, std::uint8_t fg = 15, std::uint8_t bg = 0) {
    return frame_of<scroller_effect>(ticks, text.data(), static_cast<std::int32_t>(text.size()), fg,
                                     bg, std::uint8_t{178}, top_row);
}

}  // namespace

TEST(scroller_effect, enters_at_column_79_leaves_after_its_last_column_and_rows_wrap) {
    for (const std::int32_t ticks : {7149, 0, -1, -650, lowest, highest}) {
        EXPECT_EQ(scroller_at(ticks), screen_buffer{}) << ticks;
    }
    EXPECT_EQ(scroller_at(334100, ""), screen_buffer{});
    // From shift 90 + 8n all n glyphs are past the left edge.
    const screen_buffer last_column = scroller_at(650 * (90 + 8 * 3) - 1, "AB\xDB");
    EXPECT_EQ(std::count(last_column.begin(), last_column.end(), 178), 8);
    EXPECT_EQ(cell(last_column, 0, 11), 0x0F'B2);
    EXPECT_EQ(scroller_at(650 * (90 + 8 * 3), "AB\xDB"), screen_buffer{});
    // A full block at x0 = 0 from row 20: glyph rows 5 to 7 land on rows 0 to 2; only the
    // low nibbles of the colours count.
    EXPECT_TRUE(
        golden::matches("scroller_rows_wrapped", scroller_at(650 * 90, "\xDB", 20, 0xF5, 0x3A)));
    // x0 = -3: the first glyph shows its last five columns, the eleventh its first three.
    EXPECT_TRUE(golden::matches("scroller", scroller_at(650 * 93 + 649)));
}

TEST(counter_stripes_effect, columns_show_the_unsigned_count_and_rows_the_sign_of_the_shimmer) {
    // Unsigned: -1 reads 4294967295, ending at column 10.
    EXPECT_EQ(cell_at<counter_stripes_effect>(-1, 9, 24), 0xAF'00 | '5');
    EXPECT_EQ(cell_at<counter_stripes_effect>(-1, 10, 24), 0xAF'00);
    // Row 0 shows the sign of sin(ticks / 1000), truncated toward zero. sin(-1719612) is
    // 1 - 3.9e-13: 175 plus it truncates to 175 in double, a float sum would give 176.
    EXPECT_EQ(cell_at<counter_stripes_effect>(3999, 40, 0), 0xAF'CC);
    EXPECT_EQ(cell_at<counter_stripes_effect>(4000, 40, 0), 0xAE'CC);
    EXPECT_EQ(cell_at<counter_stripes_effect>(-999, 40, 0), 0xAF'CC);
    EXPECT_EQ(cell_at<counter_stripes_effect>(-1719612000, 40, 0), 0xAF'CC);
    EXPECT_TRUE(golden::matches("counter_stripes", frame_of<counter_stripes_effect>(1234567)));
}

// The cross takes every character from beyond the longest count: the fill.
TEST(counter_cross_effect, frame_at_1234567_matches_golden) {
    const screen_buffer frame = frame_of<counter_cross_effect>(1234567);
    EXPECT_EQ(frame_of<counter_cross_effect>(-1), frame);
    EXPECT_TRUE(golden::matches("counter_cross", frame));
}

TEST(counter_drift_effect, bands_where_cosine_exceeds_the_threshold_and_the_trail_wraps) {
    // One digit leaves bytes 3 and 6 at the fill; without a shift all is in place: 30
    // columns banded where cos x exceeds 0.4.
    EXPECT_TRUE(golden::matches("counter_drift_t0", frame_of<counter_drift_effect>(0)));
    // -2600 reads 4294967296 - 2600; T -2, A -1, B -3: the trail of (4, 0) lands 79 cells
    // before the start, on (1, 24), over column 1's band.
    EXPECT_EQ(cell_at<counter_drift_effect>(-2600, 1, 24), 0x0E'00 | '4');
    EXPECT_EQ(cell_at<counter_drift_effect>(-2600, 77, 0), 0x04'00 | '4');
    EXPECT_TRUE(golden::matches("counter_drift", frame_of<counter_drift_effect>(1234567)));
}
