#include "platform/posix/locale_glyphs.hpp"

#include <iconv.h>
#include <string>

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
    if (is_utf8(codeset)) {
        return utf8_glyphs();
    }
    const iconv_t to_codeset = iconv_open(std::string(codeset).c_str(), "UTF-8");
    glyph_set set = glyphs_spelled_by([to_codeset](std::string_view utf8, char* out) {
        return convert(to_codeset, utf8.data(), utf8.size(), out);
    });
    if (to_codeset != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(to_codeset);
    }
    return set;
}
