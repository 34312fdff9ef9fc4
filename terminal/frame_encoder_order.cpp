// The order in which the frame encoder writes the changed cells. Left to right is the
// plain way; where cells of a few colours alternate (a plasma, digits in three colours)
// a colour change costs more than a cursor jump, and writing all the cells of one colour
// before those of the next saves most of the colour changes. Each order is tried and the
// shorter kept: per row, left to right or colour by colour; and for the whole picture,
// those rows or one pass per colour over every row.
#include "terminal/frame_encoder.hpp"

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
    const saved_rows before = save_rows(ty, 1);
    std::string in_order;
    write_pass(ty, -1, in_order);
    const saved_rows after_in_order = save_rows(ty, 1);
    restore_rows(before);
    std::string by_colour;
    write_row_by_colour(ty, by_colour);
    if (in_order.size() <= by_colour.size()) {
        restore_rows(after_in_order);
        out += in_order;
    } else {
        out += by_colour;
    }
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
    const saved_rows before = save_rows(first_row_, end_row_ - first_row_);
    std::string& by_rows = trial_[0];
    by_rows.clear();
    write_rows(by_rows);
    const saved_rows after_rows = save_rows(first_row_, end_row_ - first_row_);
    restore_rows(before);
    std::string& by_colour = trial_[1];
    by_colour.clear();
    write_frame_by_colour(by_colour);
    if (by_rows.size() <= by_colour.size()) {
        restore_rows(after_rows);
        out += by_rows;
    } else {
        out += by_colour;
    }
}
