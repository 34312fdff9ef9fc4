#pragma once

#include <cstdint>

// The probe's still picture: every one of the 256 codes, in rows of 80 from 'A' on, in
// bright yellow on blue. Its cell (0, 0) is 'A', so a test can find it on the screen.
inline constexpr int still_cols = 80;
inline constexpr int still_rows = 25;
inline constexpr std::uint8_t still_attribute = 0x1E;

inline std::uint8_t still_code(int x, int y) {
    return static_cast<std::uint8_t>((x + still_cols * y + 'A') % 256);
}
