#include "show/font8x8.hpp"

#include <gtest/gtest.h>

#include <map>

namespace {

const glyph& glyph_of(int code) {
    return font8x8[static_cast<std::size_t>(code)];
}

int pixel_count(const glyph& g) {
    int count = 0;
    for (int at = 0; at < 64; ++at) {
        count += glyph_pixel(g, at % 8, at / 8) ? 1 : 0;
    }
    return count;
}

}  // namespace

// The scrollers and the fire draw printable ASCII only; the goldens show a few of those
// glyphs, these rows stand for the rest of the table.
TEST(font8x8, keeps_the_reference_rows_and_every_glyph_is_drawn_and_distinct) {
    EXPECT_EQ(glyph_of(0x41), (glyph{0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00}));
    EXPECT_EQ(glyph_of(0x67), (glyph{0x00, 0x00, 0x76, 0xCC, 0xCC, 0x7C, 0x0C, 0xF8}));
    EXPECT_EQ(glyph_of(0x7E), (glyph{0x76, 0xDC, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(glyph_pixel(glyph_of(0x41), 2, 0));
    EXPECT_FALSE(glyph_pixel(glyph_of(0x41), 0, 0));
    std::map<glyph, int> first_code;
    for (int code = 0; code < 256; ++code) {
        const bool blank = code == 0x00 || code == 0x20 || code == 0xFF;
        EXPECT_EQ(pixel_count(glyph_of(code)) == 0, blank) << "code " << code;
        const auto [it, inserted] = first_code.emplace(glyph_of(code), code);
        EXPECT_TRUE(inserted || blank) << "code " << code << " repeats code " << it->second;
    }
}
