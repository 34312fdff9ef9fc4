#include "bench/terminal_bandwidth/byte_kinds.hpp"

namespace {

byte_kind kind_of_csi(bool private_mode, char final) {
    switch (final) {
        case 'H':
        case 'G':
        case 'd':
        case 'A':
        case 'B':
        case 'C':
        case 'D':
        case 'f':
            return byte_kind::move;
        case 'm':
            return byte_kind::colour;
        case 'b':
            return byte_kind::repeat;
        case 'X':
        case 'K':
        case 'J':
            return byte_kind::erase;
        case 'r':
        case 'S':
        case 'T':
            return byte_kind::scroll;
        case 'h':
        case 'l':
        case 'n':
            return private_mode || final == 'n' ? byte_kind::bracket : byte_kind::other;
        default:
            return byte_kind::other;
    }
}

}  // namespace

const char* byte_kind_name(byte_kind kind) {
    constexpr const char* names[byte_kind_count] = {"move",  "colour", "glyph",   "repeat",
                                                    "erase", "scroll", "bracket", "other"};
    return names[static_cast<int>(kind)];
}

void byte_kind_totals::add(const std::string& out) {
    std::size_t at = 0;
    while (at < out.size()) {
        const char c = out[at];
        if (c == '\x1b' && at + 1 < out.size() && out[at + 1] == '[') {
            std::size_t end = at + 2;
            const bool private_mode = end < out.size() && out[end] == '?';
            while (end < out.size() && (out[end] < 0x40 || out[end] > 0x7E)) {
                ++end;
            }
            const char final = end < out.size() ? out[end] : '\0';
            bytes[static_cast<int>(kind_of_csi(private_mode, final))] += end + 1 - at;
            at = end + 1;
        } else if (c == '\x1b') {
            // ESC D / ESC M (index, reverse index) and anything else of two bytes.
            const char second = at + 1 < out.size() ? out[at + 1] : '\0';
            bytes[static_cast<int>(second == 'D' || second == 'M' ? byte_kind::scroll
                                                                  : byte_kind::other)] += 2;
            at += 2;
        } else if (c == '\r' || c == '\n' || c == '\b') {
            bytes[static_cast<int>(byte_kind::move)] += 1;
            ++at;
        } else {
            bytes[static_cast<int>(byte_kind::glyph)] += 1;
            ++at;
        }
    }
}
