#include "terminal/frame_encoder.hpp"

#include <algorithm>
#include <array>

namespace {

// The attribute's colour bits run blue, green, red; ANSI numbers them red, green, blue.
constexpr int ansi_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

int fg_code(int attribute) {
    return ansi_colour[attribute & 7] + ((attribute & 0x08) != 0 ? 90 : 30);
}

int bg_code(int attribute) {
    return ansi_colour[(attribute >> 4) & 7] + ((attribute & 0x80) != 0 ? 100 : 40);
}

int digits(int value) {
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

void append_number(int value, std::string& out) {
    char text[12];
    int length = 0;
    do {
        text[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (length > 0) {
        out += text[--length];
    }
}

// Bytes of CSI n final, with n left out where it is the default of 1.
int csi_cost(int n) {
    return 3 + (n == 1 ? 0 : digits(n));
}

void append_csi(int n, char final, std::string& out) {
    out += "\x1b[";
    if (n != 1) {
        append_number(n, out);
    }
    out += final;
}

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

// Which colours an SGR must set to go from attribute `from` (-1 when not known) to `to`:
// only the one that differs, when only one does.
struct colour_change {
    bool fg = false;
    bool bg = false;
};

colour_change colours_to_set(int from, int to) {
    return {from < 0 || ((from ^ to) & 0x0F) != 0, from < 0 || ((from ^ to) & 0xF0) != 0};
}

// Bytes of the SGR that changes the colours from `from` to `to`: the foreground is always
// two digits, the background two or, bright, three.
int sgr_cost(int from, int to) {
    if (from == to) {
        return 0;
    }
    const colour_change change = colours_to_set(from, to);
    const int bg_digits = (to & 0x80) != 0 ? 3 : 2;
    return 3 + (change.fg ? 2 : 0) + (change.bg ? bg_digits : 0) + (change.fg && change.bg ? 1 : 0);
}

// Bytes of REP for `count` more copies of the glyph just written.
int repeat_cost(int count) {
    return 3 + (count == 1 ? 0 : digits(count));
}

}  // namespace

std::string sgr_for_attribute(std::uint8_t attribute) {
    std::string out;
    append_number(fg_code(attribute), out);
    out += ';';
    append_number(bg_code(attribute), out);
    return out;
}

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
    plan.cost = x == 0 ? (y == 0 ? 3 : 3 + digits(y + 1)) : 4 + digits(y + 1) + digits(x + 1);
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

int frame_encoder::move_cost(int x, int y) const {
    return plan_move(x, y).cost;
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
    if (colours_ < 8) {
        attribute_ = attribute;
        return;
    }
    const colour_change change = colours_to_set(attribute_, attribute);
    char text[12] = {'\x1b', '['};
    int length = 2;
    if (change.fg) {
        const int fg = fg_code(attribute);
        text[length++] = static_cast<char>('0' + fg / 10);
        text[length++] = static_cast<char>('0' + fg % 10);
    }
    if (change.fg && change.bg) {
        text[length++] = ';';
    }
    if (change.bg) {
        const int bg = bg_code(attribute);
        if (bg >= 100) {
            text[length++] = '1';
        }
        text[length++] = static_cast<char>('0' + bg / 10 % 10);
        text[length++] = static_cast<char>('0' + bg % 10);
    }
    text[length++] = 'm';
    out.append(text, static_cast<std::size_t>(length));
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
int frame_encoder::repeat_end(int tx) const {
    const shown_cell first = row_[static_cast<std::size_t>(tx)].wanted;
    int end = tx;
    for (int next = tx + 1; next < row_end_; ++next) {
        const row_cell& cell = row_[static_cast<std::size_t>(next)];
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
        if (last < row_end_ && row_[static_cast<std::size_t>(last)].wanted == first) {
            end = last;
        } else {
            --end;
        }
    }
    return end;
}

void frame_encoder::write_cell(int tx, int ty, std::string& out) {
    const shown_cell wanted = row_[static_cast<std::size_t>(tx)].wanted;
    set_attribute(wanted.attribute, out);
    glyphs_.append(wanted.ch, out);
    const std::size_t row_start = static_cast<std::size_t>(ty * terminal_cols_);
    shown_[row_start + static_cast<std::size_t>(tx)] = wanted;
    int last = tx;
    // Only ASCII is repeated: xterm repeats nothing past Latin-1, tmux before 3.5 nothing
    // past ASCII, and the runs worth it are mostly spaces anyway.
    if (repeat_allowed_ && glyphs_.length[wanted.ch] == 1) {
        const int end = repeat_end(tx);
        const int count = end - tx;
        if (count > 0 && repeat_cost(count) < count * glyphs_.length[wanted.ch]) {
            // REP repeats the glyph written just before it, so nothing may come between.
            out += "\x1b[";
            if (count != 1) {
                append_number(count, out);
            }
            out += 'b';
            for (int at = tx + 1; at <= end; ++at) {
                shown_[row_start + static_cast<std::size_t>(at)] = wanted;
            }
            last = end;
        }
    }
    cursor_after_write(last);
    for (int at = tx + 1; at <= last; ++at) {
        row_[static_cast<std::size_t>(at)].changed = false;
    }
}

// Bytes for writing the unchanged cells from_tx .. to_tx - 1 again, plain, and then the
// colours of the cell at to_tx; stops counting once past `limit`.
int frame_encoder::rewrite_cost(int from_tx, int to_tx, int limit) const {
    int cost = 0;
    int attribute = attribute_;
    for (int tx = from_tx; tx <= to_tx && cost <= limit; ++tx) {
        const shown_cell cell = row_[static_cast<std::size_t>(tx)].wanted;
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
    return move_cost(tx, ty) +
           sgr_cost(attribute_, row_[static_cast<std::size_t>(tx)].wanted.attribute);
}

// Writes the changed cells of the row from first_col on, left to right: all of them, or
// with a colour given only those of that colour. Cells on the way may be written too
// (again, or before their own turn) when that is no longer than jumping over them.
void frame_encoder::write_pass(int first_col, int ty, int only_attribute, std::string& out) {
    const std::size_t row_start = static_cast<std::size_t>(ty * terminal_cols_);
    int tx = first_col;
    for (;;) {
        while (tx < row_end_ &&
               !(row_[static_cast<std::size_t>(tx)].changed &&
                 (only_attribute < 0 ||
                  row_[static_cast<std::size_t>(tx)].wanted.attribute == only_attribute))) {
            ++tx;
        }
        if (tx >= row_end_) {
            return;
        }
        if (cursor_y_ == ty && cursor_x_ >= first_col && cursor_x_ < tx) {
            const int jump = jump_cost(tx, ty);
            if (rewrite_cost(cursor_x_, tx, jump) <= jump) {
                for (int at = cursor_x_; at < tx; ++at) {
                    row_cell& cell = row_[static_cast<std::size_t>(at)];
                    set_attribute(cell.wanted.attribute, out);
                    glyphs_.append(cell.wanted.ch, out);
                    shown_[row_start + static_cast<std::size_t>(at)] = cell.wanted;
                    cell.changed = false;
                }
                cursor_x_ = tx;
            }
        }
        move_to(tx, ty, out);
        write_cell(tx, ty, out);
        row_[static_cast<std::size_t>(tx)].changed = false;
        ++tx;
    }
}

// One pass per colour: each time the colour that is cheapest to switch to among the
// cells still to write, leftmost first on a tie.
void frame_encoder::write_by_colour(int first_col, int ty, std::string& out) {
    for (;;) {
        int next = -1;
        int next_cost = 0;
        for (int tx = first_col; tx < row_end_; ++tx) {
            const row_cell& cell = row_[static_cast<std::size_t>(tx)];
            if (cell.changed) {
                const int cost = sgr_cost(attribute_, cell.wanted.attribute);
                if (next < 0 || cost < next_cost) {
                    next = cell.wanted.attribute;
                    next_cost = cost;
                }
            }
        }
        if (next < 0) {
            return;
        }
        write_pass(first_col, ty, next, out);
    }
}

frame_encoder::row_state frame_encoder::save_row(int ty) const {
    const auto row_start = shown_.begin() + ty * terminal_cols_;
    return {row_, {row_start, row_start + terminal_cols_}, cursor_x_, cursor_y_, attribute_};
}

void frame_encoder::restore_row(int ty, const row_state& state) {
    row_ = state.row;
    std::copy(state.shown.begin(), state.shown.end(), shown_.begin() + ty * terminal_cols_);
    cursor_x_ = state.cursor_x;
    cursor_y_ = state.cursor_y;
    attribute_ = state.attribute;
}

// Left to right, or colour by colour when cells of a few colours alternate: each way is
// tried and the shorter kept.
void frame_encoder::encode_row(int first_col, int ty, std::string& out) {
    const row_state before = save_row(ty);
    std::string& in_order = scratch_[0];
    in_order.clear();
    write_pass(first_col, ty, -1, in_order);
    const row_state after_in_order = save_row(ty);
    restore_row(ty, before);
    std::string& by_colour = scratch_[1];
    by_colour.clear();
    write_by_colour(first_col, ty, by_colour);
    if (in_order.size() <= by_colour.size()) {
        restore_row(ty, after_in_order);
        out += in_order;
    } else {
        out += by_colour;
    }
}

int frame_encoder::attribute_mask() const {
    // Eight colours have no bright half: the intensity bits go, the hues stay. Without
    // colours every cell is the terminal's own.
    return colours_ >= 16 ? 0xFF : colours_ >= 8 ? 0x77 : 0x00;
}

void frame_encoder::encode(const char_info* picture, int cols, int rows, std::string& out) {
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
        known_ = false;
    }
    row_.resize(static_cast<std::size_t>(terminal_cols_));
    const int left = std::max(0, (terminal_cols_ - cols) / 2);
    const int top = std::max(0, (terminal_rows_ - rows) / 2);
    const int skip_x = std::max(0, (cols - terminal_cols_) / 2);
    const int skip_y = std::max(0, (rows - terminal_rows_) / 2);
    const int visible_cols = std::min(cols, terminal_cols_);
    const int visible_rows = std::min(rows, terminal_rows_);
    row_end_ = left + visible_cols;
    const auto& canonical = glyphs_.canonical;
    const int mask = attribute_mask();
    for (int y = 0; y < visible_rows; ++y) {
        const int ty = top + y;
        const char_info* source = picture + (y + skip_y) * cols + skip_x;
        const shown_cell* shown = shown_.data() + static_cast<std::size_t>(ty * terminal_cols_);
        bool any = false;
        for (int x = 0; x < visible_cols; ++x) {
            const int tx = left + x;
            row_cell& cell = row_[static_cast<std::size_t>(tx)];
            cell.wanted = {canonical[source[x].ch & 0xFF],
                           static_cast<std::uint8_t>(source[x].attributes & mask)};
            cell.changed = !known_ || !(shown[tx] == cell.wanted);
            any = any || cell.changed;
        }
        if (any) {
            encode_row(left, ty, out);
        }
    }
    known_ = true;
    out += "\x1b[?2026l";
}
