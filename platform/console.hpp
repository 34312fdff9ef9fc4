#pragma once

#include <cstdint>

#include "terminal/console_records.hpp"

// The process's one text console, as the show uses it: a screen buffer of cells that is
// written in one call per frame, a title, a cursor that can be hidden, and a queue of
// input events. On a terminal, allocating the console takes the controlling terminal
// over (alternate screen, raw input) and freeing it gives the terminal back as it was.

using console_handle = std::uintptr_t;
inline constexpr console_handle invalid_console_handle = 0;
enum class std_handle { input, output };

struct console_coord {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// Inclusive on all four sides.
struct console_rect {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t right = 0;
    std::int16_t bottom = 0;
};

// Takes the controlling terminal over. Where there is none, it changes nothing, holds
// one line for the user that says why, and returns false; console_attached() tells.
bool alloc_console();
bool free_console();
bool console_attached();

console_handle get_std_handle(std_handle which);

bool set_console_title(const char* title);
bool set_console_cursor_info(console_handle output, int size, bool visible);
// Keeps the console window above others; a terminal has no such notion.
bool set_console_window_topmost();
bool set_console_screen_buffer_size(console_handle output, console_coord size);
bool set_console_window_info(console_handle output, bool absolute, console_rect window);

// Writes the cells of `region` from `cells` (a buffer of buffer_size cells, read from
// buffer_origin on) to the console in one go.
bool write_console_output(console_handle output, const char_info* cells, console_coord buffer_size,
                          console_coord buffer_origin, console_rect& region);

// Counts the input events that are ready now; never waits.
bool get_number_of_console_input_events(console_handle input, std::uint32_t& count);
// Takes up to `length` ready events; never waits.
bool read_console_input(console_handle input, input_record* records, std::uint32_t length,
                        std::uint32_t& read);
