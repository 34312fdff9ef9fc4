#include "platform/posix/glyph_set.hpp"

#include <iconv.h>
#include <algorithm>
#include <string>

#include "platform/cp437.hpp"

namespace {

bool is_utf8(std::string_view codeset) {
    return codeset == "UTF-8" || codeset == "utf8" || codeset == "UTF8" || codeset == "utf-8";
}

// The character in the target set, converted from its UTF-8 form; 0 when the set lacks
// it or the conversion is not known.
std::size_t convert(iconv_t to_codeset, const char* utf8, std::size_t utf8_length, char* out) {
    if (to_codeset == reinterpret_cast<iconv_t>(-1)) {
        return 0;
    }
    iconv(to_codeset, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8);
    std::size_t in_left = utf8_length;
    std::size_t out_left = 4;
    char* at = out;
    if (iconv(to_codeset, &in, &in_left, &at, &out_left) == static_cast<std::size_t>(-1) ||
        in_left != 0) {
        return 0;
    }
    // A stateful set may need its shift state closed; anything more than the glyph is
    // not a single cell we could count on.
    char* end = at;
    if (iconv(to_codeset, nullptr, nullptr, &end, &out_left) == static_cast<std::size_t>(-1) ||
        end != at) {
        return 0;
    }
    return static_cast<std::size_t>(at - out);
}

}  // namespace

glyph_set glyphs_for_codeset(std::string_view codeset) {
    glyph_set set;
    const bool utf8 = is_utf8(codeset);
    const iconv_t to_codeset =
        utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open(std::string(codeset).c_str(), "UTF-8");
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        char utf8_bytes[4];
        const std::size_t utf8_length = encode_utf8(cp437_code_point(byte), utf8_bytes);
        char* slot = set.bytes.data() + 4 * code;
        std::size_t length = 0;
        if (utf8) {
            std::copy(utf8_bytes, utf8_bytes + utf8_length, slot);
            length = utf8_length;
        } else if (utf8_length > 1) {
            length = convert(to_codeset, utf8_bytes, utf8_length, slot);
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
    if (to_codeset != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(to_codeset);
    }
    return set;
}
