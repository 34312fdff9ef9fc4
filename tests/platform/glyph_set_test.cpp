#include <gtest/gtest.h>

#include <string>

#include "platform/posix/locale_glyphs.hpp"

namespace {

std::string bytes_of(const glyph_set& set, std::uint8_t code) {
    std::string out;
    set.append(code, out);
    return out;
}

}  // namespace

// A character set gets the glyphs it has; the rest get their ASCII stand-ins, and codes
// sent as the same bytes count as the same cell.
TEST(glyph_set, each_character_set_gets_its_own_glyphs_and_ascii_for_the_rest) {
    struct expectation {
        const char* codeset;
        std::uint8_t code;
        std::string bytes;
    };
    for (const auto& [codeset, code, bytes] :
         {expectation{"UTF-8", 0xDB, "\u2588"}, expectation{"ISO-8859-1", 0x82, "\xE9"},
          expectation{"ISO-8859-1", 0xC4, "-"}, expectation{"ANSI_X3.4-1968", 0xDB, "#"}}) {
        EXPECT_EQ(bytes_of(glyphs_for_codeset(codeset), code), bytes)
            << codeset << " code " << static_cast<int>(code);
    }
    const glyph_set ascii = glyphs_for_codeset("ANSI_X3.4-1968");
    EXPECT_EQ(ascii.canonical[0xC4], ascii.canonical['-']) << "a box line sent as - is a -";
    EXPECT_EQ(glyphs_for_codeset("UTF-8").canonical[0xC4], 0xC4);
}
