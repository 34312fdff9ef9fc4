#include "show/font8x8.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace {

const glyph& glyph_of(int code) {
    return font8x8[static_cast<std::size_t>(code)];
}

int pixel_count(const glyph& g) {
    int count = 0;
    for (int gy = 0; gy < 8; ++gy) {
        for (int gx = 0; gx < 8; ++gx) {
            count += glyph_pixel(g, gx, gy) ? 1 : 0;
        }
    }
    return count;
}

std::uint8_t column_bits(const glyph& g, int gx) {
    std::uint8_t bits = 0;
    for (int gy = 0; gy < 8; ++gy) {
        bits = static_cast<std::uint8_t>(bits << 1 | (glyph_pixel(g, gx, gy) ? 1 : 0));
    }
    return bits;
}

}  // namespace

TEST(font8x8, keeps_the_reference_rows) {
    const std::map<int, glyph> reference = {
        {0x01, {0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E}},
        {0x30, {0x7C, 0xCE, 0xDE, 0xF6, 0xE6, 0xC6, 0x7C, 0x00}},
        {0x41, {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00}},
        {0x5C, {0xC0, 0x60, 0x30, 0x18, 0x0C, 0x06, 0x02, 0x00}},
        {0x61, {0x00, 0x00, 0x78, 0x0C, 0x7C, 0xCC, 0x76, 0x00}},
        {0x67, {0x00, 0x00, 0x76, 0xCC, 0xCC, 0x7C, 0x0C, 0xF8}},
        {0x7E, {0x76, 0xDC, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {0xB1, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
        {0xDB, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0xDC, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0xFF, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& [code, rows] : reference) {
        EXPECT_EQ(glyph_of(code), rows) << "code " << code;
    }

    EXPECT_EQ(pixel_count(glyph_of(0xDB)), 64);
    EXPECT_EQ(pixel_count(glyph_of(0x20)), 0);
    EXPECT_TRUE(glyph_pixel(glyph_of(0x41), 2, 0));
    EXPECT_FALSE(glyph_pixel(glyph_of(0x41), 0, 0));
}

TEST(font8x8, every_glyph_is_drawn_and_distinct) {
    // 0x00, 0x20 and 0xFF are all blank cells; no other glyph may be empty or share its bitmap.
    const std::set<int> blank = {0x00, 0x20, 0xFF};
    std::map<glyph, int> first_code;
    for (int code = 0; code < 256; ++code) {
        if (blank.count(code) != 0) {
            EXPECT_EQ(pixel_count(glyph_of(code)), 0) << "code " << code;
            continue;
        }
        EXPECT_GT(pixel_count(glyph_of(code)), 0) << "code " << code;
        const auto [it, inserted] = first_code.emplace(glyph_of(code), code);
        EXPECT_TRUE(inserted) << "code " << code << " repeats code " << it->second;
    }
}

TEST(font8x8, accented_letters_carry_an_accent_on_their_base_letter) {
    // Accented letter -> base letter; both share the bottom body row (row 6), the accent
    // marks row 0, and nothing but a descender reaches row 7.
    const std::map<int, char> accented = {
        {0x81, 'u'}, {0x82, 'e'}, {0x83, 'a'}, {0x84, 'a'}, {0x85, 'a'}, {0x86, 'a'},
        {0x88, 'e'}, {0x89, 'e'}, {0x8A, 'e'}, {0x8B, 'i'}, {0x8C, 'i'}, {0x8D, 'i'},
        {0x8E, 'A'}, {0x8F, 'A'}, {0x90, 'E'}, {0x93, 'o'}, {0x94, 'o'}, {0x95, 'o'},
        {0x96, 'u'}, {0x97, 'u'}, {0x98, 'y'}, {0x99, 'O'}, {0x9A, 'U'}, {0xA0, 'a'},
        {0xA1, 'i'}, {0xA2, 'o'}, {0xA3, 'u'}, {0xA4, 'n'}, {0xA5, 'N'},
    };
    for (const auto& [code, base] : accented) {
        const glyph& g = glyph_of(code);
        const glyph& b = glyph_of(base);
        EXPECT_EQ(g[6], b[6]) << "code " << code;
        EXPECT_EQ(g[7], b[7]) << "code " << code;
        EXPECT_NE(g[0], 0) << "code " << code;
    }
    // Capitals and ligatures without a descender, including the Greek capitals.
    for (const int code : {0x92, 0xE2, 0xE4, 0xE8, 0xE9, 0xEA}) {
        EXPECT_EQ(glyph_of(code)[7], 0) << "code " << code;
    }
}

TEST(font8x8, shades_and_half_blocks_cover_the_cell_in_order) {
    EXPECT_EQ(pixel_count(glyph_of(0xB0)), 16);
    EXPECT_EQ(pixel_count(glyph_of(0xB1)), 32);
    EXPECT_EQ(pixel_count(glyph_of(0xB2)), 48);
    for (const auto& [first, second] : {std::pair{0xDD, 0xDE}, std::pair{0xDF, 0xDC}}) {
        for (int row = 0; row < 8; ++row) {
            EXPECT_EQ(glyph_of(first)[row] & glyph_of(second)[row], 0) << "code " << first;
            EXPECT_EQ(glyph_of(first)[row] | glyph_of(second)[row], 0xFF) << "code " << first;
        }
    }
    EXPECT_TRUE(glyph_pixel(glyph_of(0xDD), 0, 7));  // left half
    EXPECT_TRUE(glyph_pixel(glyph_of(0xDF), 7, 0));  // upper half
}

TEST(font8x8, box_pieces_meet_exactly_the_edges_they_connect_to) {
    // Lines per edge: 0 none, 1 single (two pixels thick at the centre), 2 double (one-pixel
    // rails two apart). Order: up, down, left, right.
    const std::map<int, std::array<int, 4>> pieces = {
        {0xB3, {1, 1, 0, 0}}, {0xB4, {1, 1, 1, 0}}, {0xB5, {1, 1, 2, 0}}, {0xB6, {2, 2, 1, 0}},
        {0xB7, {0, 2, 1, 0}}, {0xB8, {0, 1, 2, 0}}, {0xB9, {2, 2, 2, 0}}, {0xBA, {2, 2, 0, 0}},
        {0xBB, {0, 2, 2, 0}}, {0xBC, {2, 0, 2, 0}}, {0xBD, {2, 0, 1, 0}}, {0xBE, {1, 0, 2, 0}},
        {0xBF, {0, 1, 1, 0}}, {0xC0, {1, 0, 0, 1}}, {0xC1, {1, 0, 1, 1}}, {0xC2, {0, 1, 1, 1}},
        {0xC3, {1, 1, 0, 1}}, {0xC4, {0, 0, 1, 1}}, {0xC5, {1, 1, 1, 1}}, {0xC6, {1, 1, 0, 2}},
        {0xC7, {2, 2, 0, 1}}, {0xC8, {2, 0, 0, 2}}, {0xC9, {0, 2, 0, 2}}, {0xCA, {2, 0, 2, 2}},
        {0xCB, {0, 2, 2, 2}}, {0xCC, {2, 2, 0, 2}}, {0xCD, {0, 0, 2, 2}}, {0xCE, {2, 2, 2, 2}},
        {0xCF, {1, 0, 2, 2}}, {0xD0, {2, 0, 1, 1}}, {0xD1, {0, 1, 2, 2}}, {0xD2, {0, 2, 1, 1}},
        {0xD3, {2, 0, 0, 1}}, {0xD4, {1, 0, 0, 2}}, {0xD5, {0, 1, 0, 2}}, {0xD6, {0, 2, 0, 1}},
        {0xD7, {2, 2, 1, 1}}, {0xD8, {1, 1, 2, 2}}, {0xD9, {1, 0, 1, 0}}, {0xDA, {0, 1, 0, 1}},
    };
    const std::array<std::uint8_t, 3> edge_bits = {0x00, 0x18, 0x24};
    for (const auto& [code, lines] : pieces) {
        const glyph& g = glyph_of(code);
        EXPECT_EQ(g[0], edge_bits[lines[0]]) << "code " << code << " top edge";
        EXPECT_EQ(g[7], edge_bits[lines[1]]) << "code " << code << " bottom edge";
        EXPECT_EQ(column_bits(g, 0), edge_bits[lines[2]]) << "code " << code << " left edge";
        EXPECT_EQ(column_bits(g, 7), edge_bits[lines[3]]) << "code " << code << " right edge";
    }
}
