#include "asciigui/ag_console.hpp"

std::uint16_t console_attributes(std::uint8_t attribute) {
    static constexpr std::uint16_t flags[8] = {
        0x0001,  // foreground blue
        0x0002,  // foreground green
        0x0004,  // foreground red
        0x0008,  // foreground intensity
        0x0010,  // background blue
        0x0020,  // background green
        0x0040,  // background red
        0x0080,  // background intensity
    };
    std::uint16_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if ((attribute >> bit) & 1) {
            result |= flags[bit];
        }
    }
    return result;
}

void ag_picture_cells(const ag_picture& picture, char_info* cells) {
    for (int cell = 0; cell < ag_console_cells; ++cell) {
        cells[cell].ch = picture[static_cast<std::size_t>(2 * cell)];
        cells[cell].attributes =
            console_attributes(picture[static_cast<std::size_t>(2 * cell + 1)]);
    }
}

ag_console::ag_console(const ag_picture& picture)
    : picture_(picture), output_(invalid_console_handle) {
    ag_tree_lock guard(*this);
    alloc_console();
    output_ = get_std_handle(std_handle::output);
    set_console_title(window_title);
    set_console_cursor_info(output_, 1, false);
    set_console_window_topmost();
    ag_console::resize(ag_console_rows, ag_console_cols);
}

ag_console::~ag_console() {
    ag_tree_lock guard(*this);
    free_console();
}

bool ag_console::resize(std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    if (rows < 0 || cols < 0) {
        return false;
    }
    set_console_screen_buffer_size(
        output_, {static_cast<std::int16_t>(cols), static_cast<std::int16_t>(rows)});
    set_console_window_info(
        output_, true,
        {0, 0, static_cast<std::int16_t>(cols - 1), static_cast<std::int16_t>(rows - 1)});
    ag_tracked::resize(rows, cols);
    return true;
}

bool ag_console::child_changed(ag_widget* child, std::int32_t row, std::int32_t col,
                               std::int32_t rows, std::int32_t cols) {
    ag_tree_lock guard(*this);
    ag_tracked::child_changed(child, row, col, rows, cols);
    return true;
}

bool ag_console::present() {
    ag_tree_lock guard(*this);
    ag_picture_cells(picture_, frame_.data());
    console_rect region{0, 0, ag_console_cols - 1, ag_console_rows - 1};
    write_console_output(output_, frame_.data(), {ag_console_cols, ag_console_rows}, {0, 0},
                         region);
    return true;
}
