#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The bytes that show each code page 437 character on a terminal using a given character
// set: the character itself where the set has it, else its plain-ASCII stand-in.
struct glyph_set {
    std::array<char, 4 * 256> bytes{};
    std::array<std::uint8_t, 256> length{};
    // The smallest code that is sent as the same bytes, so that codes shown alike (0x00,
    // 0xFF and the space; every box corner as + in ASCII) count as the same cell.
    std::array<std::uint8_t, 256> canonical{};

    void append(std::uint8_t code, std::string& out) const {
        out.append(bytes.data() + 4 * code, length[code]);
    }
};

// codeset as nl_langinfo(CODESET) names it ("UTF-8", "ANSI_X3.4-1968", "ISO-8859-1").
glyph_set glyphs_for_codeset(std::string_view codeset);
