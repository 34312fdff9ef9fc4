#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/console.hpp"

// Turns console pictures into the bytes that bring a terminal from the picture it shows
// to the new one. It remembers every cell it has sent, so a frame carries only the cells
// that changed, moves the cursor only where the next changed cell is not where the
// cursor already stands, and sets colours only when they change. The picture is centred
// in a larger terminal and clipped in a smaller one; each frame is bracketed with
// synchronized-output mode so the terminal never shows half of it.
class frame_encoder {
  public:
    // The terminal's size; a new size means the next frame is drawn in full.
    void set_terminal_size(int cols, int rows);
    // Forget what the terminal shows: the next frame is drawn in full.
    void invalidate() { known_ = false; }

    // Appends to out the bytes for a picture of cols x rows cells in reading order.
    void encode(const char_info* picture, int cols, int rows, std::string& out);

  private:
    struct shown_cell {
        std::uint8_t ch = 0;
        std::uint8_t attribute = 0;
        bool operator==(const shown_cell&) const = default;
    };

    void move_to(int x, int y, std::string& out);
    void set_attribute(std::uint8_t attribute, std::string& out);

    int terminal_cols_ = 80;
    int terminal_rows_ = 25;
    bool known_ = false;
    std::vector<shown_cell> shown_;
    int cursor_x_ = -1;
    int cursor_y_ = -1;
    int attribute_ = -1;
};

// The SGR parameters for an attribute byte: foreground then background, bright colours
// as 90-97 and 100-107 (bit 7 is a bright background, never blinking).
std::string sgr_for_attribute(std::uint8_t attribute);
