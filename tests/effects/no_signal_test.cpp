#include "effects/no_signal.hpp"

#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "tests/effects/golden.hpp"

namespace {

constexpr std::int32_t countdown = 6615000;
constexpr auto highest = std::numeric_limits<std::int32_t>::max();

// The countdown row from the box's left edge to the screen's right edge.
std::string time_row(std::int32_t ticks) {
    no_signal_effect no_signal;
    const screen_buffer screen = golden::frame(no_signal, ticks);
    std::string text;
    for (int x = 62; x < screen_cols; ++x) {
        text += static_cast<char>(golden::cell(screen, x, 21));
    }
    return text;
}

std::string reading(const char* time) {
    return "\xBA   " + std::string(time) + "       \xBA ";
}

}  // namespace

// The factor lies just below 1/22050, so whole seconds remaining read one less.
TEST(no_signal_effect, countdown_truncates_the_slightly_small_product) {
    EXPECT_EQ(time_row(0), reading("04:59"));
    EXPECT_EQ(time_row(countdown - 22050), reading("00:00"));
    EXPECT_EQ(time_row(countdown - 22051), reading("00:01"));
    EXPECT_EQ(time_row(countdown - 44100), reading("00:01"));
    EXPECT_EQ(time_row(countdown), reading("00:00"));
    EXPECT_EQ(time_row(-1), reading("05:00"));
    EXPECT_EQ(time_row(countdown - 13230001), reading("10:00"));
}

TEST(no_signal_effect, time_row_is_empty_past_the_end_and_cut_at_the_edge) {
    const std::string empty_row = "\xBA               \xBA ";
    EXPECT_EQ(time_row(countdown + 1), empty_row);
    EXPECT_EQ(time_row(highest), empty_row);
    // A remainder past the 32-bit range wraps below zero like the tick counter itself.
    EXPECT_EQ(time_row(std::numeric_limits<std::int32_t>::min()), empty_row);
    // The largest remainder reads 1623:11; the border falls off the right edge.
    EXPECT_EQ(time_row(countdown - highest), "\xBA   1623:11       ");
}

TEST(no_signal_effect, first_frame_matches_golden) {
    no_signal_effect no_signal;
    EXPECT_TRUE(golden::matches("no_signal", golden::frame(no_signal, 0)));
}
