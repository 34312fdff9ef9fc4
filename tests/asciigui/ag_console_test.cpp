#include <gtest/gtest.h>

#include "asciigui/ag_console.hpp"
#include "support/terminal_checks.hpp"

// The probe below shows every cell of an 80 x 25 console on a real terminal; here a
// surface of another size still presents the whole show buffer, read anew each time.
TEST(ag_console, present_writes_the_whole_show_buffer_whatever_the_surface_size) {
    ag_picture picture{};
    ag_console console(picture);
    picture[2 * 1999] = 0xDB;
    picture[2 * 1999 + 1] = 0x80;
    ASSERT_TRUE(console.resize(30, 100));
    EXPECT_TRUE(console.present());
    const char_info& last = console.last_frame()[1999];
    EXPECT_EQ((std::pair<int, int>(last.ch, last.attributes)), std::pair(0xDB, 0x80));
    picture.fill(0);
    EXPECT_TRUE(console.present());
    EXPECT_EQ(last.ch, 0);
}

TEST(ag_console, every_attribute_bit_reaches_the_terminal_as_its_colour) {
    // The probe's picture holds every attribute byte; each cell must come out of a real
    // terminal emulator with its glyph and both colours, bright halves included.
    pty_process run({TEXTSHOW_BINARY_DIR "/tests/console_window_probe"}, ".", 80, 25);
    const auto last_cell_shown = [&] {
        return run.screen().at(79, 24).glyph == static_cast<char32_t>('A' + 1999 % 26);
    };
    ASSERT_TRUE(run.pump_until(last_cell_shown, std::chrono::seconds(10)));
    int wrong = 0;
    for (int cell = 0; cell < 2000; ++cell) {
        const auto got = run.screen().at(cell % 80, cell / 80);
        const int attribute = cell % 256;
        if (got.glyph != static_cast<char32_t>('A' + cell % 26) ||
            got.fg != palette_index_of(attribute & 0x0F) ||
            got.bg != palette_index_of(attribute >> 4)) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << "cell " << cell << " attribute " << attribute
                                               << ": fg " << got.fg << " bg " << got.bg;
            if (++wrong == 5) {
                break;
            }
        }
    }
    run.send("q");
    expect_exit_and_given_back(run, 0);
}
