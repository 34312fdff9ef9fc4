#pragma once

// Golden frames: a rendered screen is compared, in its readable text form, with a file
// under tests/golden/. With TEXTSHOW_UPDATE_GOLDEN=1 in the environment the file is
// rewritten from the frame instead, which is only done after the frame has been checked
// by hand; the test then still fails, so that an update is never mistaken for a pass.

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "show/effect.hpp"
#include "show/screen_buffer.hpp"
#include "show/screen_text.hpp"

namespace golden {

// Renders `e` at local time `ticks` into a screen first filled with `junk`, so that any
// cell the effect should write but does not shows up.
inline screen_buffer frame(effect& e, std::int32_t ticks, std::uint8_t junk = 0xAA) {
    screen_buffer screen;
    screen.fill(junk);
    e.target = &screen;
    e.render(ticks);
    return screen;
}

// Character and attribute of cell (x, y) as one number, character in the low byte, so
// that expectations read 0x4E'DB for a yellow-on-red full block.
inline int cell(const screen_buffer& screen, int x, int y) {
    const auto offset = static_cast<std::size_t>(screen_offset(x, y));
    return screen[offset] | screen[offset + 1] << 8;
}

inline std::string path_of(std::string_view name) {
    return std::string(TEXTSHOW_SOURCE_DIR) + "/tests/golden/" + std::string(name) + ".txt";
}

inline bool update_requested() {
    const char* value = std::getenv("TEXTSHOW_UPDATE_GOLDEN");
    return value != nullptr && std::string_view(value) == "1";
}

// Compares `frame` with tests/golden/<name>.txt. On a mismatch the message names the
// first differing line of the text form, which points at the row (glyph grid) or the
// colour grid that changed.
inline ::testing::AssertionResult matches(std::string_view name, const screen_buffer& frame) {
    const std::string actual = screen_to_text(frame);
    const std::string path = path_of(name);
    if (update_requested()) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << actual;
        if (!out) {
            return ::testing::AssertionFailure() << "cannot write " << path;
        }
        return ::testing::AssertionFailure() << "rewrote " << path << "; unset "
                                             << "TEXTSHOW_UPDATE_GOLDEN to compare";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ::testing::AssertionFailure() << "missing golden file " << path;
    }
    std::ostringstream stored;
    stored << in.rdbuf();
    const std::string expected = stored.str();
    if (expected == actual) {
        return ::testing::AssertionSuccess();
    }
    const auto first_difference =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
    const auto line = 1 + std::count(expected.begin(), first_difference, '\n');
    return ::testing::AssertionFailure() << path << " differs first on line " << line;
}

}  // namespace golden
