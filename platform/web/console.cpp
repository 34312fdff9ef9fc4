#include "platform/console.hpp"
#include "platform/console_buffer.hpp"

#include <emscripten.h>

#include <algorithm>
#include <deque>
#include <vector>

// The page is the console: each written frame is handed to it in the show's picture
// format (character, attribute, cell after cell) in the program's memory, which it draws
// on a canvas, and the keys pressed on the page come back as console key events. The
// buffer has the size its user gives it, which the page learns from the program.

namespace {

constexpr console_handle input_handle = 1;
constexpr console_handle output_handle = 2;

struct console_state {
    bool attached = false;
    console_buffer screen;
    std::vector<unsigned char> picture;  // the screen as the page takes it
    std::deque<input_record> keys;
};

console_state& console() {
    static console_state state;
    return state;
}

// clang-format off
EM_JS(void, page_present, (const unsigned char* cells), {
    Module.page.present(cells);
});
// clang-format on

}  // namespace

// The page calls this for every key pressed or released while the show runs.
extern "C" EMSCRIPTEN_KEEPALIVE void web_console_key(int virtual_key_code, int key_down) {
    input_record record;
    record.event_type = key_event_type;
    record.key.key_down = key_down != 0;
    record.key.repeat_count = 1;
    record.key.virtual_key_code = static_cast<std::uint16_t>(virtual_key_code);
    console().keys.push_back(record);
}

bool alloc_console() {
    console().attached = true;
    return true;
}

bool free_console() {
    const bool was = console().attached;
    console().attached = false;
    return was;
}

bool console_attached() {
    return console().attached;
}

console_handle get_std_handle(std_handle which) {
    return which == std_handle::input ? input_handle : output_handle;
}

// The page's title is the page's own.
bool set_console_title(const char*) {
    return console().attached;
}

// The page draws no cursor.
bool set_console_cursor_info(console_handle output, int, bool) {
    return output == output_handle;
}

bool set_console_window_topmost() {
    return console().attached;
}

bool set_console_screen_buffer_size(console_handle output, console_coord size) {
    return output == output_handle && console().screen.resize(size);
}

bool set_console_window_info(console_handle output, bool, console_rect) {
    return output == output_handle;
}

bool write_console_output(console_handle output, const char_info* cells, console_coord buffer_size,
                          console_coord buffer_origin, console_rect& region) {
    if (output != output_handle || cells == nullptr) {
        return false;
    }
    console_state& state = console();
    region = state.screen.write(cells, buffer_size, buffer_origin, region);
    state.picture.clear();
    for (const char_info& cell : state.screen.cells()) {
        state.picture.push_back(static_cast<unsigned char>(cell.ch & 0xff));
        state.picture.push_back(static_cast<unsigned char>(cell.attributes & 0xff));
    }
    // The animation frame paces the show, so the picture goes to the page at once.
    page_present(state.picture.data());
    return state.attached;
}

bool get_number_of_console_input_events(console_handle input, std::uint32_t& count) {
    if (input != input_handle || !console().attached) {
        return false;
    }
    count = static_cast<std::uint32_t>(console().keys.size());
    return true;
}

bool read_console_input(console_handle input, input_record* records, std::uint32_t length,
                        std::uint32_t& read_count) {
    read_count = 0;
    if (input != input_handle || records == nullptr) {
        return false;
    }
    std::deque<input_record>& keys = console().keys;
    while (read_count < length && !keys.empty()) {
        records[read_count++] = keys.front();
        keys.pop_front();
    }
    return true;
}
