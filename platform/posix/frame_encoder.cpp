#include "platform/posix/frame_encoder.hpp"

#include <algorithm>

#include "platform/cp437.hpp"

namespace {

// The attribute's colour bits run blue, green, red; ANSI numbers them red, green, blue.
constexpr int ansi_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

void append_number(int value, std::string& out) {
    char digits[12];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (length > 0) {
        out += digits[--length];
    }
}

}  // namespace

std::string sgr_for_attribute(std::uint8_t attribute) {
    std::string out;
    const int fg = ansi_colour[attribute & 7] + ((attribute & 0x08) != 0 ? 90 : 30);
    const int bg = ansi_colour[(attribute >> 4) & 7] + ((attribute & 0x80) != 0 ? 100 : 40);
    append_number(fg, out);
    out += ';';
    append_number(bg, out);
    return out;
}

void frame_encoder::set_terminal_size(int cols, int rows) {
    if (cols != terminal_cols_ || rows != terminal_rows_) {
        terminal_cols_ = cols;
        terminal_rows_ = rows;
        known_ = false;
    }
}

void frame_encoder::move_to(int x, int y, std::string& out) {
    if (x == cursor_x_ && y == cursor_y_) {
        return;
    }
    out += "\x1b[";
    append_number(y + 1, out);
    out += ';';
    append_number(x + 1, out);
    out += 'H';
    cursor_x_ = x;
    cursor_y_ = y;
}

void frame_encoder::set_attribute(std::uint8_t attribute, std::string& out) {
    if (attribute == attribute_) {
        return;
    }
    out += "\x1b[";
    out += sgr_for_attribute(attribute);
    out += 'm';
    attribute_ = attribute;
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
    }
    const int left = std::max(0, (terminal_cols_ - cols) / 2);
    const int top = std::max(0, (terminal_rows_ - rows) / 2);
    const int skip_x = std::max(0, (cols - terminal_cols_) / 2);
    const int skip_y = std::max(0, (rows - terminal_rows_) / 2);
    const int visible_cols = std::min(cols, terminal_cols_);
    const int visible_rows = std::min(rows, terminal_rows_);
    char utf8[4];
    for (int y = 0; y < visible_rows; ++y) {
        for (int x = 0; x < visible_cols; ++x) {
            const char_info& cell = picture[(y + skip_y) * cols + x + skip_x];
            const shown_cell wanted{static_cast<std::uint8_t>(cell.ch & 0xFF),
                                    static_cast<std::uint8_t>(cell.attributes & 0xFF)};
            const int tx = left + x;
            const int ty = top + y;
            shown_cell& shown = shown_[static_cast<std::size_t>(ty * terminal_cols_ + tx)];
            if (known_ && shown == wanted) {
                continue;
            }
            move_to(tx, ty, out);
            set_attribute(wanted.attribute, out);
            out.append(utf8, encode_utf8(cp437_code_point(wanted.ch), utf8));
            shown = wanted;
            // Writing into the last column leaves the cursor waiting to wrap, a state
            // terminals disagree about; the next cell gets an explicit move.
            if (tx + 1 >= terminal_cols_) {
                cursor_x_ = -1;
            } else {
                cursor_x_ = tx + 1;
            }
        }
    }
    known_ = true;
    out += "\x1b[?2026l";
}
