#include "runner/show_run.hpp"

#include <memory>
#include <new>

#include "platform/console.hpp"
#include "platform/frame_loop.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "show/show_buffer.hpp"
#include "show/timeline.hpp"
#include "sound/music.hpp"

ag_console* console_window = nullptr;

namespace {

// Exit code when there is no terminal to show the picture on.
constexpr int no_terminal_exit_code = 1;

// What the frame loop carries from one pass to the next: the tick the next frame is
// rendered at, read from the show clock right after the previous frame was presented.
std::int32_t frame_tick = 0;
console_handle input_handle = invalid_console_handle;
message queued_message;

// Looks at every console input event waiting now; Escape, pressed or released, ends the
// show at once.
void poll_console_input(console_handle input) {
    std::uint32_t pending = 0;
    std::uint32_t read = 0;
    get_number_of_console_input_events(input, pending);
    if (pending == 0) {
        return;
    }
    const auto records = std::unique_ptr<input_record[]>(new (std::nothrow) input_record[pending]);
    if (!records) {
        return;
    }
    read_console_input(input, records.get(), pending, read);
    for (std::uint32_t i = 0; i < read; ++i) {
        if (records[i].event_type == key_event_type &&
            records[i].key.virtual_key_code == vk_escape) {
            exit_process(42);
        }
    }
}

// Looks at one message of the thread's queue; true when the loop must end in order.
bool message_ends_loop(message& msg) {
    if (!peek_message(msg)) {
        return false;
    }
    if (msg.id == wm_keydown) {
        if (msg.wparam == vk_escape) {
            exit_process(42);
        }
        return true;
    }
    if (get_message(msg) == 0) {
        return true;
    }
    translate_message(msg);
    dispatch_message(msg);
    return false;
}

}  // namespace

void create_console_window() {
    console_window = new (std::nothrow) ag_console(show_buffer);
}

bool show_bring_up() {
    create_console_window();
    // Without a terminal there is nothing to show the picture on; the reason is already
    // held for the user, and nothing else has been started.
    if (console_window == nullptr || !console_attached()) {
        delete console_window;
        console_window = nullptr;
        return false;
    }
    console_window->present();
    music_start();
    frame_tick = show_clock();
    input_handle = get_std_handle(std_handle::input);
    return true;
}

bool show_pass() {
    poll_console_input(input_handle);
    if (message_ends_loop(queued_message)) {
        return false;
    }
    timeline_render(show_buffer, frame_tick);
    console_window->present();
    frame_tick = show_clock();
    return true;
}

int show_shutdown() {
    music_close();
    delete console_window;
    console_window = nullptr;
    return 0;
}

int show_run() {
    if (!show_bring_up()) {
        return no_terminal_exit_code;
    }
    return run_frame_loop(show_pass, show_shutdown);
}

int show_start() {
    post_filter_enabled = false;
    return show_run();
}

int show_entry() {
    return show_start();
}
