#pragma once

#include <cstddef>
#include <string>

// Where a writer's bytes go: each escape sequence or control character is sorted by what
// it does, and everything else is glyphs. The sums tell which kind of saving is worth
// having.
enum class byte_kind {
    move,     // CUP, CHA, VPA, CUU/CUD/CUF/CUB, CR, LF, BS
    colour,   // SGR
    glyph,    // the characters themselves
    repeat,   // REP
    erase,    // ECH, EL, ED
    scroll,   // scrolling region, SU/SD, IND/RI
    bracket,  // synchronized output and the status request after a frame
    other,
    count
};

constexpr int byte_kind_count = static_cast<int>(byte_kind::count);

const char* byte_kind_name(byte_kind kind);

struct byte_kind_totals {
    std::size_t bytes[byte_kind_count] = {};
    void add(const std::string& out);
};
