// The frame encoder's cells, cursor moves and colours; the order in which the changed
// cells are written is in frame_encoder_order.cpp.
//
//   plan_horizontal, plan_move, move_to   the shortest way to a cell
//   set_attribute                         colours, only the half that changes
//   write_cell, repeat_end                a glyph, and REP for an ASCII run after it
//   rewrite_cost, rewrite_up_to           writing cells again instead of jumping them
//   save_rows, restore_rows               trying one order of writing, then another
//   encode                                the frame: centring, clipping, brackets
#include "terminal/frame_encoder.hpp"

#include <algorithm>

#include "terminal/escape_bytes.hpp"

namespace {

using across = frame_encoder::across;
using horizontal_move = frame_encoder::horizontal_move;

// The shortest way along a row from column `from` (-1 when not known) to column `to`.
horizontal_move plan_horizontal(int from, int to) {
    if (from == to) {
        return {};
    }
    // CR and then CUF is never shorter than CHA, so CR only serves the first column.
    horizontal_move best =
        to == 0 ? horizontal_move{across::cr, 1} : horizontal_move{across::cha, csi_cost(to + 1)};
    if (from >= 0) {
        const int relative = csi_cost(to > from ? to - from : from - to);
        if (relative < best.cost) {
            best = {to > from ? across::cuf : across::cub, relative};
        }
    }
    return best;
}

void append_horizontal(const horizontal_move& move, int from, int to, std::string& out) {
    switch (move.how) {
        case across::stay:
            break;
        case across::cha:
            append_csi(to + 1, 'G', out);
            break;
        case across::cr:
            out += '\r';
            break;
        case across::cuf:
            append_csi(to - from, 'C', out);
            break;
        case across::cub:
            append_csi(from - to, 'D', out);
            break;
    }
}

}  // namespace

void frame_encoder::set_terminal_size(int cols, int rows) {
    if (cols != terminal_cols_ || rows != terminal_rows_) {
        terminal_cols_ = cols;
        terminal_rows_ = rows;
        known_ = false;
    }
}

// CUP always works (the column may be left out for the first one); where the row is
// known, going up or down (CUU, CUD or VPA, which keep the column) and then along the row
// may be shorter.
frame_encoder::cursor_move frame_encoder::plan_move(int x, int y) const {
    cursor_move plan;
    if (x == cursor_x_ && y == cursor_y_) {
        plan.cost = 0;
        plan.how = cursor_move::stay;
        return plan;
    }
    plan.cost = x == 0 ? (y == 0 ? 3 : 3 + decimal_digits(y + 1))
                       : 4 + decimal_digits(y + 1) + decimal_digits(x + 1);
    if (cursor_y_ < 0) {
        return plan;
    }
    const int dy = y > cursor_y_ ? y - cursor_y_ : cursor_y_ - y;
    const int relative = csi_cost(dy);
    const int absolute = csi_cost(y + 1);
    const int vertical = y == cursor_y_ ? 0 : std::min(relative, absolute);
    const horizontal_move along = plan_horizontal(cursor_x_, x);
    if (vertical + along.cost < plan.cost) {
        plan.how = y == cursor_y_         ? cursor_move::along_row
                   : relative <= absolute ? cursor_move::up_or_down
                                          : cursor_move::to_row;
        plan.along = along;
        plan.cost = vertical + along.cost;
    }
    return plan;
}

void frame_encoder::move_to(int x, int y, std::string& out) {
    const cursor_move plan = plan_move(x, y);
    switch (plan.how) {
        case cursor_move::stay:
            return;
        case cursor_move::cup:
            out += "\x1b[";
            if (x != 0 || y != 0) {
                append_number(y + 1, out);
                if (x != 0) {
                    out += ';';
                    append_number(x + 1, out);
                }
            }
            out += 'H';
            break;
        case cursor_move::up_or_down:
            append_csi(y > cursor_y_ ? y - cursor_y_ : cursor_y_ - y, y > cursor_y_ ? 'B' : 'A',
                       out);
            append_horizontal(plan.along, cursor_x_, x, out);
            break;
        case cursor_move::to_row:
            append_csi(y + 1, 'd', out);
            append_horizontal(plan.along, cursor_x_, x, out);
            break;
        case cursor_move::along_row:
            append_horizontal(plan.along, cursor_x_, x, out);
            break;
    }
    cursor_x_ = x;
    cursor_y_ = y;
}

void frame_encoder::set_attribute(std::uint8_t attribute, std::string& out) {
    if (attribute == attribute_) {
        return;
    }
    if (colours_ >= 8) {
        append_sgr(attribute_, attribute, out);
    }
    attribute_ = attribute;
}

void frame_encoder::cursor_after_write(int tx) {
    // Writing into the last column leaves the cursor waiting to wrap, a state terminals
    // disagree about; only an absolute column (CUP, CHA, CR) is trusted after it. The row
    // has not changed.
    cursor_x_ = tx + 1 >= terminal_cols_ ? -1 : tx + 1;
}

// The last column that one REP after the glyph at tx should reach: the run of cells that
// look the same goes on over unchanged ones (rewriting them changes nothing) but stops
// at the last changed one.
int frame_encoder::repeat_end(int tx, int ty) const {
    const shown_cell first = at(tx, ty).wanted;
    int end = tx;
    for (int next = tx + 1; next < row_end_; ++next) {
        const wanted_cell& cell = at(next, ty);
        if (!(cell.wanted == first)) {
            break;
        }
        if (cell.changed) {
            end = next;
        }
    }
    // libvterm (the emulator behind Neovim's terminal and our tests) takes a REP that
    // stops just short of the last column as one that filled it: the next glyph would
    // wrap to the next row. So a run never stops there; it takes the last column too when
    // that cell looks the same, or stops one cell earlier.
    if (end == terminal_cols_ - 2) {
        const int last = terminal_cols_ - 1;
        if (last < row_end_ && at(last, ty).wanted == first) {
            end = last;
        } else {
            --end;
        }
    }
    return end;
}

void frame_encoder::write_cell(int tx, int ty, std::string& out) {
    const shown_cell wanted = at(tx, ty).wanted;
    set_attribute(wanted.attribute, out);
    glyphs_.append(wanted.ch, out);
    const std::size_t row_start = static_cast<std::size_t>(ty * terminal_cols_);
    shown_[row_start + static_cast<std::size_t>(tx)] = wanted;
    int last = tx;
    // Only ASCII is repeated: xterm repeats nothing past Latin-1, tmux before 3.5 nothing
    // past ASCII, and the runs worth it are mostly spaces anyway.
    if (repeat_allowed_ && glyphs_.length[wanted.ch] == 1) {
        const int end = repeat_end(tx, ty);
        const int count = end - tx;
        if (count > 0 && repeat_cost(count) < count * glyphs_.length[wanted.ch]) {
            // REP repeats the glyph written just before it, so nothing may come between.
            append_csi(count, 'b', out);
            for (int next = tx + 1; next <= end; ++next) {
                shown_[row_start + static_cast<std::size_t>(next)] = wanted;
            }
            last = end;
        }
    }
    cursor_after_write(last);
    for (int next = tx; next <= last; ++next) {
        at(next, ty).changed = false;
    }
}

// Bytes for writing the cells from_tx .. to_tx - 1 again (or before their turn), plain,
// and then the colours of the cell at to_tx; stops counting once past `limit`.
int frame_encoder::rewrite_cost(int from_tx, int to_tx, int ty, int limit) const {
    int cost = 0;
    int attribute = attribute_;
    for (int tx = from_tx; tx <= to_tx && cost <= limit; ++tx) {
        const shown_cell cell = at(tx, ty).wanted;
        cost += sgr_cost(attribute, cell.attribute);
        attribute = cell.attribute;
        if (tx < to_tx) {
            cost += glyphs_.length[cell.ch];
        }
    }
    return cost;
}

// Bytes for reaching the cell at tx by a cursor move and setting its colours.
int frame_encoder::jump_cost(int tx, int ty) const {
    return plan_move(tx, ty).cost + sgr_cost(attribute_, at(tx, ty).wanted.attribute);
}

// Gets the cursor to the cell at tx, on a row it is already on left of tx, by writing
// the cells in between when that is no longer than jumping over them.
void frame_encoder::rewrite_up_to(int tx, int ty, std::string& out) {
    if (cursor_y_ != ty || cursor_x_ < row_begin_ || cursor_x_ >= tx) {
        return;
    }
    const int jump = jump_cost(tx, ty);
    if (rewrite_cost(cursor_x_, tx, ty, jump) > jump) {
        return;
    }
    const std::size_t row_start = static_cast<std::size_t>(ty * terminal_cols_);
    for (int next = cursor_x_; next < tx; ++next) {
        wanted_cell& cell = at(next, ty);
        set_attribute(cell.wanted.attribute, out);
        glyphs_.append(cell.wanted.ch, out);
        shown_[row_start + static_cast<std::size_t>(next)] = cell.wanted;
        cell.changed = false;
    }
    cursor_x_ = tx;
}

void frame_encoder::save_rows(int first_row, int row_count, saved_rows& into) const {
    const auto begin = static_cast<std::ptrdiff_t>(first_row * terminal_cols_);
    const auto end = static_cast<std::ptrdiff_t>((first_row + row_count) * terminal_cols_);
    into.first_row = first_row;
    into.wanted.assign(wanted_.begin() + begin, wanted_.begin() + end);
    into.shown.assign(shown_.begin() + begin, shown_.begin() + end);
    into.cursor_x = cursor_x_;
    into.cursor_y = cursor_y_;
    into.attribute = attribute_;
}

void frame_encoder::restore_rows(const saved_rows& saved) {
    const auto begin = static_cast<std::ptrdiff_t>(saved.first_row * terminal_cols_);
    std::copy(saved.wanted.begin(), saved.wanted.end(), wanted_.begin() + begin);
    std::copy(saved.shown.begin(), saved.shown.end(), shown_.begin() + begin);
    cursor_x_ = saved.cursor_x;
    cursor_y_ = saved.cursor_y;
    attribute_ = saved.attribute;
}

int frame_encoder::attribute_mask() const {
    // Eight colours have no bright half: the intensity bits go, the hues stay. Without
    // colours every cell is the terminal's own.
    return colours_ >= 16 ? 0xFF : colours_ >= 8 ? 0x77 : 0x00;
}

void frame_encoder::encode(const char_info* picture, int cols, int rows, std::string& out) {
    if (terminal_cols_ == 0 || terminal_rows_ == 0) {
        set_terminal_size(cols, rows);
    }
    out += "\x1b[?2026h";
    const std::size_t terminal_cells =
        static_cast<std::size_t>(terminal_cols_) * static_cast<std::size_t>(terminal_rows_);
    if (!known_ || shown_.size() != terminal_cells) {
        // Everything outside the picture is cleared to black once; inside it every cell
        // is sent, because nothing is known about what the terminal shows.
        out += "\x1b[0m\x1b[2J";
        attribute_ = -1;
        cursor_x_ = -1;
        cursor_y_ = -1;
        shown_.assign(terminal_cells, shown_cell{});
        wanted_.assign(terminal_cells, wanted_cell{});
        known_ = false;
    }
    const int left = std::max(0, (terminal_cols_ - cols) / 2);
    const int top = std::max(0, (terminal_rows_ - rows) / 2);
    const int skip_x = std::max(0, (cols - terminal_cols_) / 2);
    const int skip_y = std::max(0, (rows - terminal_rows_) / 2);
    const int visible_cols = std::min(cols, terminal_cols_);
    const int visible_rows = std::min(rows, terminal_rows_);
    row_begin_ = left;
    row_end_ = left + visible_cols;
    first_row_ = top;
    end_row_ = top + visible_rows;
    const auto& canonical = glyphs_.canonical;
    const int mask = attribute_mask();
    for (int y = 0; y < visible_rows; ++y) {
        const int ty = top + y;
        const char_info* source = picture + (y + skip_y) * cols + skip_x;
        const shown_cell* shown = shown_.data() + static_cast<std::size_t>(ty * terminal_cols_);
        for (int x = 0; x < visible_cols; ++x) {
            const int tx = left + x;
            wanted_cell& cell = at(tx, ty);
            cell.wanted = {canonical[source[x].ch & 0xFF],
                           static_cast<std::uint8_t>(source[x].attributes & mask)};
            cell.changed = !known_ || !(shown[tx] == cell.wanted);
        }
    }
    write_changes(out);
    known_ = true;
    out += "\x1b[?2026l";
}
