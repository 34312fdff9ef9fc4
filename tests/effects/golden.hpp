#pragma once

// Golden frames: a rendered screen is compared, in its readable text form, with
// tests/golden/<name>.txt. With TEXTSHOW_UPDATE_GOLDEN=1 the file is rewritten instead (only
// after checking the frame by hand), and the test still fails so an update never passes.

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

// Renders `e` at local time `ticks` over `junk`, which shows any cell it fails to write.
inline screen_buffer frame(effect& e, std::int32_t ticks, std::uint8_t junk = 0xAA) {
    screen_buffer screen;
    screen.fill(junk);
    e.target = &screen;
    e.render(ticks);
    return screen;
}

// Cell (x, y) with the character in the low byte: 0x4E'DB is a yellow-on-red full block.
inline int cell(const screen_buffer& screen, int x, int y) {
    const auto offset = static_cast<std::size_t>(screen_offset(x, y));
    return screen[offset] | screen[offset + 1] << 8;
}

// On a mismatch the message names the first differing line of the text form.
inline ::testing::AssertionResult matches(std::string_view name, const screen_buffer& frame) {
    const std::string actual = screen_to_text(frame);
    const std::string path =
        std::string(TEXTSHOW_SOURCE_DIR) + "/tests/golden/" + std::string(name) + ".txt";
    const char* update = std::getenv("TEXTSHOW_UPDATE_GOLDEN");
    if (update != nullptr && std::string_view(update) == "1") {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << actual;
        return ::testing::AssertionFailure() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ::testing::AssertionFailure() << "missing golden file " << path;
    }
    std::ostringstream stored;
    stored << in.rdbuf();
    const std::string expected = stored.str();
    if (expected != actual) {
        const auto first =
            std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
        return ::testing::AssertionFailure() << path << " differs first on line "
                                             << 1 + std::count(expected.begin(), first, '\n');
    }
    return ::testing::AssertionSuccess();
}

}  // namespace golden
