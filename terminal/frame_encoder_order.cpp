// The order in which the frame encoder writes the changed cells. Left to right is the
// plain way; where cells of a few colours alternate (a plasma, digits in three colours)
// a colour change costs more than a cursor jump, and writing all the cells of one colour
// before those of the next saves most of the colour changes. Each order is tried and the
// shorter kept: per row, left to right or colour by colour; and for the whole picture,
// those rows or one pass per colour over every row.
#include "terminal/frame_encoder.hpp"

#include "terminal/escape_bytes.hpp"

// Writes the rows one way and then, from the same start, the other, and keeps the
// shorter (the first on a tie) with the state it leaves.
template <typename first_way, typename second_way>
void frame_encoder::keep_shorter(int first_row, int row_count, saved_rows (&saved)[2],
                                 std::string (&trial)[2], std::string& out, first_way first,
                                 second_way second) {
    save_rows(first_row, row_count, saved[0]);
    trial[0].clear();
    first(trial[0]);
    save_rows(first_row, row_count, saved[1]);
    restore_rows(saved[0]);
    trial[1].clear();
    second(trial[1]);
    if (trial[0].size() <= trial[1].size()) {
        restore_rows(saved[1]);
        out += trial[0];
    } else {
        out += trial[1];
    }
}

// The changed cells of the row, left to right: all of them, or only those of one colour.
// Cells on the way may be written too (again, or before their own turn) when that is no
// longer than jumping over them.
void frame_encoder::write_pass(int ty, int only_attribute, std::string& out) {
    for (int tx = row_begin_; tx < row_end_; ++tx) {
        const wanted_cell& cell = at(tx, ty);
        if (cell.changed && (only_attribute < 0 || cell.wanted.attribute == only_attribute)) {
            rewrite_up_to(tx, ty, out);
            move_to(tx, ty, out);
            write_cell(tx, ty, out);
        }
    }
}

// Among the cells still to write in the rows, the colour cheapest to switch to (the
// first in reading order on a tie); -1 when none is left.
int frame_encoder::cheapest_colour(int first_row, int end_row) const {
    int best = -1;
    int best_cost = 0;
    for (int ty = first_row; ty < end_row; ++ty) {
        for (int tx = row_begin_; tx < row_end_; ++tx) {
            const wanted_cell& cell = at(tx, ty);
            if (cell.changed) {
                const int cost = sgr_cost(attribute_, cell.wanted.attribute);
                if (best < 0 || cost < best_cost) {
                    best = cell.wanted.attribute;
                    best_cost = cost;
                }
            }
        }
    }
    return best;
}

void frame_encoder::write_row_by_colour(int ty, std::string& out) {
    for (int colour = cheapest_colour(ty, ty + 1); colour >= 0;
         colour = cheapest_colour(ty, ty + 1)) {
        write_pass(ty, colour, out);
    }
}

// Left to right or colour by colour, whichever is shorter.
void frame_encoder::write_row(int ty, std::string& out) {
    keep_shorter(
        ty, 1, row_saved_, row_trial_, out,
        [this, ty](std::string& trial) { write_pass(ty, -1, trial); },
        [this, ty](std::string& trial) { write_row_by_colour(ty, trial); });
}

void frame_encoder::write_rows(std::string& out) {
    for (int ty = first_row_; ty < end_row_; ++ty) {
        write_row(ty, out);
    }
}

// One colour at a time over every row: the colour is set once per frame rather than
// once per row.
void frame_encoder::write_frame_by_colour(std::string& out) {
    for (int colour = cheapest_colour(first_row_, end_row_); colour >= 0;
         colour = cheapest_colour(first_row_, end_row_)) {
        for (int ty = first_row_; ty < end_row_; ++ty) {
            write_pass(ty, colour, out);
        }
    }
}

void frame_encoder::write_changes(std::string& out) {
    keep_shorter(
        first_row_, end_row_ - first_row_, frame_saved_, frame_trial_, out,
        [this](std::string& trial) { write_rows(trial); },
        [this](std::string& trial) { write_frame_by_colour(trial); });
}
