#pragma once

#include <string_view>

#include "terminal/glyph_set.hpp"

// The glyphs for a terminal whose locale uses `codeset`, as nl_langinfo(CODESET) names it
// ("UTF-8", "ANSI_X3.4-1968", "ISO-8859-1"); the C library's converter spells them.
glyph_set glyphs_for_codeset(std::string_view codeset);
