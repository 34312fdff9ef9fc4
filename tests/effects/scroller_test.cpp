#include "effects/scroller.hpp"

#include <array>
#include <limits>
#include <string_view>

#include <gtest/gtest.h>

#include "tests/effects/golden.hpp"

using golden::cell;

namespace {

screen_buffer scroller_at(std::int32_t ticks, std::string_view text = "Greetings from ZoRaX!",
                          int top_row = 4, std::uint8_t fg = 15, std::uint8_t bg = 0) {
    scroller_effect scroller(text.data(), static_cast<std::int32_t>(text.size()), fg, bg, 178,
                             top_row);
    return golden::frame(scroller, ticks);
}

int lit_cells(const screen_buffer& screen) {
    int count = 0;
    for (int i = 0; i < screen_bytes; i += 2) {
        count += screen[static_cast<std::size_t>(i)] == 178 ? 1 : 0;
    }
    return count;
}

const screen_buffer cleared{};
constexpr int lit = 0x0F'B2;

}  // namespace

TEST(scroller_effect, text_enters_at_column_79_after_7150_ticks) {
    EXPECT_EQ(scroller_at(7149), cleared);
    // Glyph column 0 of 'G' (3C 66 C0 C0 CE 66 3A) is lit on glyph rows 2 to 4 only.
    const screen_buffer entering = scroller_at(7150);
    EXPECT_EQ(lit_cells(entering), 3);
    EXPECT_EQ((std::array{cell(entering, 79, 6), cell(entering, 79, 8)}), (std::array{lit, lit}));
}

TEST(scroller_effect, negative_and_extreme_ticks_leave_the_screen_cleared) {
    for (const std::int32_t ticks : {0, -1, -650, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(scroller_at(ticks), cleared) << ticks;
    }
    EXPECT_EQ(scroller_at(334100, ""), cleared);
}

// From shift 90 + 8n all n glyphs are past the left edge.
TEST(scroller_effect, last_glyph_leaves_after_its_last_column) {
    const screen_buffer last_column = scroller_at(650 * (90 + 8 * 3) - 1, "AB\xDB");
    EXPECT_EQ(lit_cells(last_column), 8);
    EXPECT_EQ(cell(last_column, 0, 11), lit);
    EXPECT_EQ(scroller_at(650 * (90 + 8 * 3), "AB\xDB"), cleared);
}

TEST(scroller_effect, attribute_uses_low_nibbles_and_rows_wrap_below_the_screen) {
    // A full block at x0 = 0 from row 20: glyph rows 5 to 7 land on rows 0 to 2.
    const screen_buffer screen = scroller_at(650 * 90, "\xDB", 20, 0xF5, 0x3A);
    EXPECT_EQ(lit_cells(screen), 64);
    EXPECT_EQ((std::array{cell(screen, 7, 2), cell(screen, 0, 24), cell(screen, 0, 3)}),
              (std::array{0xA5'B2, 0xA5'B2, 0}));
}

// x0 = -3: the first glyph shows its last five columns, the eleventh its first three.
TEST(scroller_effect, frame_with_glyphs_cut_at_both_edges_matches_golden) {
    EXPECT_TRUE(golden::matches("scroller", scroller_at(650 * 93 + 649)));
}
