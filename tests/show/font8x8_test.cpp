#include "show/font8x8.hpp"

#include <gtest/gtest.h>

#include <map>

namespace {

const glyph& glyph_of(int code) {
    return font8x8[static_cast<std::size_t>(code)];
}

// The pixels of column gx (gx < 8) or, for gx >= 8, of row gx - 8, top or left bit first.
std::uint8_t line_bits(const glyph& g, int gx) {
    std::uint8_t bits = 0;
    for (int at = 0; at < 8; ++at) {
        const bool set = gx < 8 ? glyph_pixel(g, gx, at) : glyph_pixel(g, at, gx - 8);
        bits = static_cast<std::uint8_t>(bits << 1 | (set ? 1 : 0));
    }
    return bits;
}

int pixel_count(const glyph& g) {
    int count = 0;
    for (int at = 0; at < 64; ++at) {
        count += glyph_pixel(g, at % 8, at / 8) ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST(font8x8, keeps_the_reference_rows_and_reads_pixels_from_them) {
    const std::map<int, glyph> reference = {
        {0x01, {0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E}},
        {0x41, {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00}},
        {0x67, {0x00, 0x00, 0x76, 0xCC, 0xCC, 0x7C, 0x0C, 0xF8}},
        {0x7E, {0x76, 0xDC, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {0xB1, {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA}},
        {0xDC, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0xDD, {0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}},
        {0xDE, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F}},
        {0xDF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& [code, rows] : reference) {
        EXPECT_EQ(glyph_of(code), rows) << "code " << code;
    }
    EXPECT_EQ(pixel_count(glyph_of(0xDB)), 64);
    EXPECT_EQ(pixel_count(glyph_of(0x20)), 0);
    EXPECT_TRUE(glyph_pixel(glyph_of(0x41), 2, 0));
    EXPECT_FALSE(glyph_pixel(glyph_of(0x41), 0, 0));
    EXPECT_EQ(pixel_count(glyph_of(0xB0)), 16) << "light shade";
    EXPECT_EQ(pixel_count(glyph_of(0xB2)), 48) << "dark shade";
}

TEST(font8x8, every_glyph_is_drawn_and_distinct_except_the_blank_ones) {
    std::map<glyph, int> first_code;
    for (int code = 0; code < 256; ++code) {
        const bool blank = code == 0x00 || code == 0x20 || code == 0xFF;
        EXPECT_EQ(pixel_count(glyph_of(code)) == 0, blank) << "code " << code;
        const auto [it, inserted] = first_code.emplace(glyph_of(code), code);
        EXPECT_TRUE(inserted || blank) << "code " << code << " repeats code " << it->second;
    }
}

TEST(font8x8, accented_letters_keep_their_base_letters_lower_rows) {
    // Base letters from 0x81 on ('.' for no accented letter): an accented letter shares
    // its base's bottom body row (6) and descender row (7); the accent marks row 0.
    const std::string bases = "ueaaaa.eeeiiiAAE..ooouuyOU.....aiounN";
    for (int code = 0x81; code < 0x81 + static_cast<int>(bases.size()); ++code) {
        const char base = bases[static_cast<std::size_t>(code - 0x81)];
        if (base != '.') {
            EXPECT_EQ(glyph_of(code)[6], glyph_of(base)[6]) << "code " << code;
            EXPECT_EQ(glyph_of(code)[7], glyph_of(base)[7]) << "code " << code;
            EXPECT_NE(glyph_of(code)[0], 0) << "code " << code;
        }
    }
    for (const int code : {0x92, 0xE2, 0xE4, 0xE8, 0xE9, 0xEA}) {  // capitals, no descender
        EXPECT_EQ(glyph_of(code)[7], 0) << "code " << code;
    }
}

TEST(font8x8, box_pieces_meet_exactly_the_edges_they_connect_to) {
    // From 0xB3 to 0xDA, the lines at each piece's up, down, left and right edge: 0 none,
    // 1 single (two pixels thick at the centre), 2 double (one-pixel rails two apart).
    const std::string pieces =
        "1100 1110 1120 2210 0210 0120 2220 2200 0220 2020 2010 1020 0110 1001 1011 0111 "
        "1101 0011 1111 1102 2201 2002 0202 2022 0222 2202 0022 2222 1022 2011 0122 0211 "
        "2001 1002 0102 0201 2211 1122 1010 0101";
    const std::uint8_t edge_bits[3] = {0x00, 0x18, 0x24};
    const int line[4] = {8, 15, 0, 7};  // as line_bits numbers them
    for (int code = 0xB3; code <= 0xDA; ++code) {
        for (int edge = 0; edge < 4; ++edge) {
            const char lines = pieces[static_cast<std::size_t>((code - 0xB3) * 5 + edge)];
            EXPECT_EQ(line_bits(glyph_of(code), line[edge]), edge_bits[lines - '0'])
                << "code " << code << " edge " << edge;
        }
    }
}
