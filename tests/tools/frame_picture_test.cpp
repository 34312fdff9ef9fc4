// Pictures of frames: glyph pixels in the text-mode palette, rows doubled, whole-number
// scaling, and the PNG of a known moment of the show against a golden file.

#include <gtest/gtest.h>

#include "picture/frame_picture.hpp"
#include "tests/show/run_tool.hpp"
#include "tests/tools/png_reading.hpp"

TEST(frame_picture, cells_are_glyph_pixels_in_their_colours_with_rows_doubled_and_scaled) {
    // 'A' (row 0: 30 = ..XX....) in yellow on a bright red background, the bright bit
    // being colour and not blink, in the last cell; drawn three times the size.
    screen_buffer frame{};
    frame[static_cast<std::size_t>(screen_offset(79, 24))] = 0x41;
    frame[static_cast<std::size_t>(screen_offset(79, 24)) + 1] = 0xCE;
    frame_picture picture;
    draw_frame_picture(frame, 3, picture);
    ASSERT_EQ(picture.width, 3 * 640);
    ASSERT_EQ(picture.height, 3 * 400);
    const int left = 3 * 79 * 8;
    const int top = 3 * 24 * 16;
    for (const int y : {top, top + 5}) {
        EXPECT_EQ(picture.at(left + 6, y), 0xE) << "set pixel, row " << y;
        EXPECT_EQ(picture.at(left + 5, y), 0xC) << "clear pixel, row " << y;
    }
    EXPECT_EQ(picture.at(left + 6, top + 42), 0xC) << "row 7 of 'A' is empty";
    EXPECT_EQ(picture.at(left - 1, top), 0x0);
}

TEST(frame_picture, png_of_a_known_frame_matches_the_golden_picture) {
    // The flickering screens' first frame: the television, twelve colours on three
    // backgrounds, every box-drawing and shade glyph the screens use.
    const run_tool::scratch_dir scratch;
    const run_tool::result run =
        run_tool::run("show-frames --png --effect image_flicker --ticks 0 --out " + scratch.path);
    ASSERT_EQ(run.exit_code, 0) << run.error_output;
    const png_rgb made = read_png_rgb(scratch.path + "/frame-00000.png");
    const png_rgb golden =
        read_png_rgb(TEXTSHOW_SOURCE_DIR "/tests/golden/png/image_flicker-t0.png");
    ASSERT_FALSE(golden.pixels.empty());
    EXPECT_EQ(made.width, golden.width);
    EXPECT_EQ(made.height, golden.height);
    EXPECT_TRUE(made.pixels == golden.pixels);
}
