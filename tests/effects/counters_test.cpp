#include "effects/counters.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/effects/golden.hpp"

using golden::cell;

namespace {

template <typename counter>
screen_buffer counter_at(std::int32_t ticks) {
    counter effect_under_test;
    return golden::frame(effect_under_test, ticks);
}

constexpr auto stripes_at = counter_at<counter_stripes_effect>;
constexpr auto drift_at = counter_at<counter_drift_effect>;
constexpr int fill_in_red = 0x04 << 8 | tick_text_fill;

}  // namespace

TEST(counter_stripes_effect, columns_show_the_count_its_terminator_then_204) {
    for (int x = 0; x < screen_cols; ++x) {
        // Row 0 has sin(0) = 0; row 1 follows the sign of sin(x).
        EXPECT_EQ(cell(stripes_at(0), x, 0), 0xAF'00 | (x == 0 ? '0' : x == 1 ? 0 : 0xCC));
        EXPECT_EQ(cell(stripes_at(0), x, 1) >> 8, std::sin(x) < 0 ? 0xAE : 0xAF) << x;
    }
    // Unsigned: -1 reads 4294967295, ending at column 10.
    EXPECT_EQ(cell(stripes_at(-1), 9, 24) & 0xFF, '5');
    EXPECT_EQ(cell(stripes_at(-1), 10, 24) & 0xFF, 0);
}

// Row 0 has x * y = 0: the whole row shows the sign of sin(ticks / 1000).
TEST(counter_stripes_effect, shimmer_phase_is_the_thousandth_truncated_toward_zero) {
    EXPECT_EQ(cell(stripes_at(3999), 40, 0) >> 8, 0xAF);
    EXPECT_EQ(cell(stripes_at(4000), 40, 0) >> 8, 0xAE);
    EXPECT_EQ(cell(stripes_at(-999), 40, 0) >> 8, 0xAF);
    // sin(-1719612) = 1 - 3.9e-13, the nearest to 1 the tick range reaches: 175 plus it
    // truncates to 175 in double, where a float sum would round to 176.
    EXPECT_EQ(cell(stripes_at(-1719612000), 40, 0) >> 8, 0xAF);
}

TEST(counter_stripes_effect, frame_at_1234567_matches_golden) {
    EXPECT_TRUE(golden::matches("counter_stripes", stripes_at(1234567)));
}

// The cross takes every character from beyond the longest count: the fill.
TEST(counter_cross_effect, frame_at_1234567_matches_golden) {
    EXPECT_EQ(counter_at<counter_cross_effect>(-1), counter_at<counter_cross_effect>(1234567));
    EXPECT_TRUE(golden::matches("counter_cross", counter_at<counter_cross_effect>(1234567)));
}

TEST(counter_drift_effect, first_frame_bands_where_cosine_exceeds_the_threshold) {
    // One digit leaves bytes 3 and 6 at the fill; without a shift all is in place.
    const screen_buffer screen = drift_at(0);
    int banded = 0;
    for (int x = 0; x < screen_cols; ++x) {
        const bool band = std::cos(x) > 0.4f;
        banded += band ? 1 : 0;
        for (int y = 0; y < screen_rows; ++y) {
            ASSERT_EQ(cell(screen, x, y), band ? fill_in_red : 0x0E'00 | tick_text_fill);
        }
    }
    EXPECT_EQ(banded, 30);
}

TEST(counter_drift_effect, count_length_picks_digits_terminator_or_fill) {
    // T 949 bands column 0; the trail of (4, 0) moves 1543 columns and 536 rows to (27, 5).
    EXPECT_EQ(cell(drift_at(1234567), 0, 0), 0x04'00 | '7');
    EXPECT_EQ(cell(drift_at(1234567), 27, 5), 0x0E'00 | '4');
    EXPECT_EQ(cell(drift_at(123456), 0, 0), 0x04'00);
    EXPECT_EQ(cell(drift_at(123), 0, 0), fill_in_red);
    EXPECT_EQ(cell(drift_at(123), 2, 0), 0x0E'00);
}

TEST(counter_drift_effect, negative_ticks_wrap_the_trail_back_from_the_end) {
    // -2600 reads 4294967296 - 2600; T -2, A -1, B -3: the trail of (4, 0) lands 79 cells
    // before the start, on (1, 24), over column 1's band.
    EXPECT_EQ(cell(drift_at(-2600), 1, 24), 0x0E'00 | '4');
    EXPECT_EQ(cell(drift_at(-2600), 77, 0), 0x04'00 | '4');
}

TEST(counter_drift_effect, frame_at_1234567_matches_golden) {
    EXPECT_TRUE(golden::matches("counter_drift", drift_at(1234567)));
}
