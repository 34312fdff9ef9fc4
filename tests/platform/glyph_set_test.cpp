#include <gtest/gtest.h>

#include <iconv.h>
#include <string>

#include "platform/posix/locale_glyphs.hpp"
#include "terminal/cp437.hpp"

namespace {

std::string bytes_of(const glyph_set& set, std::uint8_t code) {
    std::string out;
    set.append(code, out);
    return out;
}

std::uint8_t code_of(char32_t glyph) {
    for (int code = 1; code < 256; ++code) {
        if (cp437_code_point(static_cast<std::uint8_t>(code)) == glyph) {
            return static_cast<std::uint8_t>(code);
        }
    }
    ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(glyph) << " is not in code page 437";
    return 0;
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
          expectation{"ISO-8859-1", 0xC4, "-"}}) {
        EXPECT_EQ(bytes_of(glyphs_for_codeset(codeset), code), bytes)
            << codeset << " code " << static_cast<int>(code);
    }
    const glyph_set ascii = glyphs_for_codeset("ANSI_X3.4-1968");
    EXPECT_EQ(ascii.canonical[0xC4], ascii.canonical['-']) << "a box line sent as - is a -";
    EXPECT_EQ(glyphs_for_codeset("UTF-8").canonical[0xC4], 0xC4);
}

// A UTF-8 terminal shows each character of code page 437's upper half as itself: as the
// system's own conversion table has it, not only as ours does.
TEST(glyph_set, utf8_shows_code_page_437_as_the_system_converts_it) {
    const iconv_t from_437 = iconv_open("UTF-8", "CP437");
    ASSERT_NE(from_437, reinterpret_cast<iconv_t>(-1));
    const glyph_set utf8 = glyphs_for_codeset("UTF-8");
    for (int code = 0x80; code < 0xFF; ++code) {
        char in = static_cast<char>(code);
        char out[4] = {};
        char* in_at = &in;
        char* out_at = out;
        std::size_t in_left = 1;
        std::size_t out_left = sizeof out;
        iconv(from_437, &in_at, &in_left, &out_at, &out_left);
        EXPECT_EQ(bytes_of(utf8, static_cast<std::uint8_t>(code)), std::string(out, out_at))
            << "code " << code;
    }
    iconv_close(from_437);
}

// Every stand-in the README promises for a plain-ASCII locale, glyph for glyph.
TEST(glyph_set, plain_ascii_gets_the_stand_ins_the_readme_lists) {
    const glyph_set ascii = glyphs_for_codeset("ANSI_X3.4-1968");
    for (const auto& [shown, sent] :
         {std::pair<std::u32string, std::string>{U"ÇüéâäàåçêëèïîìÄÅÉôöòûùÿÖÜáíóúñÑß",
                                                 "CueaaaaceeeiiiAAEooouuyOUaiounNB"},
          {U"│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌", "|++++++|+++++++++-++++++++=+++++++++++++"},
          {U"░▒▓█▄▌▐▀", ":%##_[]\""},
          {U"↑↓→←▲▼►◄", "^v><^v><"},
          {U"☺☻♥♦♣♠•♪♫", "oo*****dd"},
          {U"αΓπΣσΦΘΩδφε", "aGpSsFOOdoe"},
          {U"≡±≥≤÷≈°½¼", "=+></~o24"}}) {
        ASSERT_EQ(shown.size(), sent.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(bytes_of(ascii, code_of(shown[i])), sent.substr(i, 1))
                << "U+" << std::hex << static_cast<unsigned>(shown[i]);
        }
    }
}
