#include "platform/console.hpp"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/clock.hpp"
#include "platform/frame_pacer.hpp"
#include "platform/win32/console_session.hpp"

namespace {

HANDLE as_handle(console_handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

frame_pacer& pacer() {
    static frame_pacer shared;
    return shared;
}

}  // namespace

bool alloc_console() {
    // A program started from a console window or a terminal already has a console, and
    // AllocConsole then fails; the show simply uses the console it has.
    const bool made = AllocConsole() != 0;
    console_take_over();
    return made;
}

bool free_console() {
    console_give_back();
    return FreeConsole() != 0;
}

bool console_attached() {
    return GetConsoleWindow() != nullptr || GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
}

console_handle get_std_handle(std_handle which) {
    const HANDLE handle =
        GetStdHandle(which == std_handle::input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
    return handle == INVALID_HANDLE_VALUE ? invalid_console_handle
                                          : reinterpret_cast<console_handle>(handle);
}

bool set_console_title(const char* title) {
    return SetConsoleTitleA(title) != 0;
}

bool set_console_cursor_info(console_handle output, int size, bool visible) {
    const CONSOLE_CURSOR_INFO info{static_cast<DWORD>(size), visible ? TRUE : FALSE};
    return SetConsoleCursorInfo(as_handle(output), &info) != 0;
}

bool set_console_window_topmost() {
    return SetWindowPos(GetConsoleWindow(), HWND_TOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER) != 0;
}

bool set_console_screen_buffer_size(console_handle output, console_coord size) {
    if (SetConsoleScreenBufferSize(as_handle(output), COORD{size.x, size.y})) {
        return true;
    }
    // A screen buffer cannot be smaller than the window that shows it, and a console
    // window usually opens larger than 80 x 25; shrink the window first, then the buffer.
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (size.x <= 0 || size.y <= 0 || !GetConsoleScreenBufferInfo(as_handle(output), &info)) {
        return false;
    }
    const SMALL_RECT window{0, 0,
                            std::min<SHORT>(info.srWindow.Right - info.srWindow.Left, size.x - 1),
                            std::min<SHORT>(info.srWindow.Bottom - info.srWindow.Top, size.y - 1)};
    SetConsoleWindowInfo(as_handle(output), TRUE, &window);
    return SetConsoleScreenBufferSize(as_handle(output), COORD{size.x, size.y}) != 0;
}

bool set_console_window_info(console_handle output, bool absolute, console_rect window) {
    const SMALL_RECT rect{window.left, window.top, window.right, window.bottom};
    return SetConsoleWindowInfo(as_handle(output), absolute ? TRUE : FALSE, &rect) != 0;
}

bool write_console_output(console_handle output, const char_info* cells, console_coord buffer_size,
                          console_coord buffer_origin, console_rect& region) {
    if (cells == nullptr || buffer_size.x <= 0 || buffer_size.y <= 0) {
        return false;
    }
    thread_local std::vector<CHAR_INFO> records;
    records.resize(static_cast<std::size_t>(buffer_size.x) *
                   static_cast<std::size_t>(buffer_size.y));
    for (std::size_t at = 0; at < records.size(); ++at) {
        // Code page 437 draws 0x00 and 0xFF as blanks; a console backed by a terminal (as
        // wine's is) would print a replacement character for them instead.
        const unsigned char ch = static_cast<unsigned char>(cells[at].ch & 0xFF);
        records[at].Char.AsciiChar = static_cast<CHAR>(ch == 0x00 || ch == 0xFF ? ' ' : ch);
        records[at].Attributes = cells[at].attributes;
    }
    SMALL_RECT written{region.left, region.top, region.right, region.bottom};
    const bool ok =
        WriteConsoleOutputA(as_handle(output), records.data(), COORD{buffer_size.x, buffer_size.y},
                            COORD{buffer_origin.x, buffer_origin.y}, &written) != 0;
    region = {written.Left, written.Top, written.Right, written.Bottom};
    // A console window shows a new picture once per display refresh; writing faster only
    // burns a core and speeds up the effects that step once per frame.
    sleep_until_nanoseconds(pacer().next_slot(monotonic_nanoseconds()));
    return ok;
}

bool get_number_of_console_input_events(console_handle input, std::uint32_t& count) {
    // Wine hands key presses to ReadConsoleInputA only after the input has been peeked
    // at; a peek costs nothing on Windows, where it changes nothing.
    INPUT_RECORD first;
    DWORD peeked = 0;
    PeekConsoleInputA(as_handle(input), &first, 1, &peeked);
    DWORD pending = 0;
    if (!GetNumberOfConsoleInputEvents(as_handle(input), &pending)) {
        return false;
    }
    count = pending;
    return true;
}

bool read_console_input(console_handle input, input_record* records, std::uint32_t length,
                        std::uint32_t& read) {
    read = 0;
    if (records == nullptr) {
        return false;
    }
    std::vector<INPUT_RECORD> raw(length);
    DWORD got = 0;
    if (length > 0 && !ReadConsoleInputA(as_handle(input), raw.data(), length, &got)) {
        return false;
    }
    for (DWORD at = 0; at < got; ++at) {
        records[at] = {};
        records[at].event_type = raw[at].EventType;
        if (raw[at].EventType == KEY_EVENT) {
            const KEY_EVENT_RECORD& key = raw[at].Event.KeyEvent;
            records[at].key = {key.bKeyDown != 0, key.wRepeatCount, key.wVirtualKeyCode,
                               key.uChar.AsciiChar};
        }
    }
    read = got;
    return true;
}
