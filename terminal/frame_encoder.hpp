#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "terminal/console_records.hpp"
#include "terminal/glyph_set.hpp"
#include "terminal/terminal_caps.hpp"

// Turns console pictures into the bytes that bring a terminal from the picture it shows
// to the new one. It remembers every cell it has sent, so a frame carries only the cells
// that changed, and it spends as few bytes on them as it can: the shortest cursor move
// to the next changed cell (CUP, CHA, CR, CUF, CUB, CUD, CUU, VPA), or writing the few
// unchanged cells in between again when that is shorter; a colour change that sets only
// the colour that differs; a run of one ASCII glyph (mostly spaces) as the glyph and a
// repeat count (REP); and, where cells of a few colours alternate, all the cells of one
// colour before those of the next, row by row or over the whole picture, whichever is
// shorter. The picture is centred in a larger terminal and clipped in a smaller one;
// each frame is bracketed with synchronized-output mode so the terminal never shows half
// of it.
class frame_encoder {
  public:
    // The terminal's size; a new size means the next frame is drawn in full. Until it is
    // told, the terminal is taken to be the size of the first picture.
    void set_terminal_size(int cols, int rows);
    // Forget what the terminal shows: the next frame is drawn in full.
    void invalidate() { known_ = false; }
    // Whether runs may be sent as REP (CSI n b). Terminals that follow xterm repeat the
    // glyph written just before; xterm and older tmux do so only for single-byte
    // characters, which is why only ASCII runs are sent this way. A terminal without REP
    // at all (the Linux console, for one) needs this off.
    void allow_repeat(bool allowed) { repeat_allowed_ = allowed; }
    // The bytes each character is sent as; UTF-8 unless told otherwise.
    void use_glyphs(const glyph_set& glyphs) {
        glyphs_ = glyphs;
        known_ = false;
    }
    // How many colours the terminal has: 16 or more show every attribute, 8 lose the
    // bright half, fewer get no colour sequences at all.
    void set_colours(int count) {
        colours_ = count;
        known_ = false;
    }

    // Everything above, as the terminal's description and locale say. Repeating a
    // character saves most of the bytes of blank stretches, but the Linux console and
    // others ignore REP and would leave those cells unpainted.
    void suit(const terminal_caps& caps) {
        allow_repeat(caps.repeats);
        set_colours(caps.colours);
        use_glyphs(caps.glyphs);
    }

    // Appends to out the bytes for a picture of cols x rows cells in reading order.
    void encode(const char_info* picture, int cols, int rows, std::string& out);

    // How the cursor gets along a row to its column.
    enum class across { stay, cha, cr, cuf, cub };
    struct horizontal_move {
        across how = across::stay;
        int cost = 0;
    };

  private:
    // How the cursor gets to a cell, and the bytes that costs: an absolute CUP, or up,
    // down or to the row and then along it.
    struct cursor_move {
        enum kind { stay, cup, up_or_down, to_row, along_row };
        kind how = cup;
        horizontal_move along;
        int cost = 0;
    };

    struct shown_cell {
        std::uint8_t ch = 0;  // the smallest code with the same glyph
        std::uint8_t attribute = 0;
        bool operator==(const shown_cell&) const = default;
    };

    // A cell of the picture on its way out, in terminal rows and columns.
    struct wanted_cell {
        shown_cell wanted;
        bool changed = false;
    };

    // The encoder's view of some rows, kept to try another order of writing them.
    struct saved_rows {
        int first_row = 0;
        std::vector<wanted_cell> wanted;
        std::vector<shown_cell> shown;
        int cursor_x = -1;
        int cursor_y = -1;
        int attribute = -1;
    };

    // frame_encoder.cpp: cells, cursor moves and colours.
    wanted_cell& at(int tx, int ty) {
        return wanted_[static_cast<std::size_t>(ty * terminal_cols_ + tx)];
    }
    const wanted_cell& at(int tx, int ty) const {
        return wanted_[static_cast<std::size_t>(ty * terminal_cols_ + tx)];
    }
    void write_cell(int tx, int ty, std::string& out);
    void rewrite_up_to(int tx, int ty, std::string& out);
    int repeat_end(int tx, int ty) const;
    cursor_move plan_move(int x, int y) const;
    void move_to(int x, int y, std::string& out);
    void set_attribute(std::uint8_t attribute, std::string& out);
    int jump_cost(int tx, int ty) const;
    int rewrite_cost(int from_tx, int to_tx, int ty, int limit) const;
    void cursor_after_write(int tx);
    int attribute_mask() const;
    void save_rows(int first_row, int row_count, saved_rows& into) const;
    void restore_rows(const saved_rows& saved);

    // frame_encoder_order.cpp: the order the changed cells are written in.
    void write_changes(std::string& out);
    void write_rows(std::string& out);
    void write_row(int ty, std::string& out);
    void write_pass(int ty, int only_attribute, std::string& out);
    void write_row_by_colour(int ty, std::string& out);
    void write_frame_by_colour(std::string& out);
    int cheapest_colour(int first_row, int end_row) const;
    template <typename first_way, typename second_way>
    void keep_shorter(int first_row, int row_count, saved_rows (&saved)[2], std::string (&trial)[2],
                      std::string& out, first_way first, second_way second);

    int terminal_cols_ = 0;  // 0: not told yet
    int terminal_rows_ = 0;
    bool known_ = false;
    bool repeat_allowed_ = true;
    int colours_ = 256;
    glyph_set glyphs_ = utf8_glyphs();
    std::vector<shown_cell> shown_;    // what the terminal shows, every cell of it
    std::vector<wanted_cell> wanted_;  // this frame, every cell of the terminal
    int row_begin_ = 0;                // the visible columns of the picture
    int row_end_ = 0;
    int first_row_ = 0;  // the visible rows of the picture
    int end_row_ = 0;
    int cursor_x_ = -1;  // -1: not known, or waiting to wrap after the last column
    int cursor_y_ = -1;
    int attribute_ = -1;
    // Two ways of writing the frame and two of writing a row, each with the encoder's
    // state before and after, for keeping the shorter; members so that their memory
    // stays from frame to frame.
    std::string frame_trial_[2];
    std::string row_trial_[2];
    saved_rows frame_saved_[2];
    saved_rows row_saved_[2];
};
