#include "terminal/glyph_set.hpp"

#include <algorithm>

#include "terminal/cp437.hpp"

namespace {

// Builds the set from each character's bytes; `spell` is null for UTF-8, where every
// character is its own UTF-8 form.
glyph_set build(const glyph_speller* spell) {
    glyph_set set;
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        char utf8_bytes[4];
        const std::size_t utf8_length = encode_utf8(cp437_code_point(byte), utf8_bytes);
        char* slot = set.bytes.data() + 4 * code;
        std::size_t length = 0;
        if (spell == nullptr) {
            std::copy(utf8_bytes, utf8_bytes + utf8_length, slot);
            length = utf8_length;
        } else if (utf8_length > 1) {
            length = (*spell)(std::string_view(utf8_bytes, utf8_length), slot);
        }
        if (length == 0) {
            // ASCII is common to every character set a terminal uses.
            slot[0] = utf8_length == 1 ? utf8_bytes[0] : cp437_ascii_stand_in(byte);
            length = 1;
        }
        set.length[byte] = static_cast<std::uint8_t>(length);
        set.canonical[byte] = byte;
        for (int earlier = 0; earlier < code; ++earlier) {
            const char* other = set.bytes.data() + 4 * earlier;
            if (set.length[static_cast<std::size_t>(earlier)] == length &&
                std::equal(other, other + length, slot)) {
                set.canonical[byte] = static_cast<std::uint8_t>(earlier);
                break;
            }
        }
    }
    return set;
}

}  // namespace

glyph_set utf8_glyphs() {
    return build(nullptr);
}

glyph_set glyphs_spelled_by(const glyph_speller& spell) {
    return build(&spell);
}
