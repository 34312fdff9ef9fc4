#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// Writes a character, given in UTF-8, as a character set spells it (at most four bytes
// to out) and returns the length; 0 where the set lacks the character.
using glyph_speller = std::function<std::size_t(std::string_view utf8, char* out)>;

// Every character as itself, in UTF-8.
glyph_set utf8_glyphs();
// The characters a set has as it spells them, and the rest as plain-ASCII stand-ins.
glyph_set glyphs_spelled_by(const glyph_speller& spell);
