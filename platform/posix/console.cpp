#include "platform/console.hpp"
#include "platform/console_buffer.hpp"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <string>
#include <vector>

#include "platform/clock.hpp"
#include "platform/frame_pacer.hpp"
#include "platform/posix/terminal_session.hpp"
#include "platform/process.hpp"
#include "terminal/frame_encoder.hpp"
#include "terminal/glyph_set.hpp"
#include "terminal/input_decoder.hpp"
#include "terminal/terminal_flow.hpp"
#include "terminal/terminal_sequences.hpp"

namespace {

constexpr console_handle input_handle = 1;
constexpr console_handle output_handle = 2;
constexpr std::int64_t background_frame_ns = 16'000'000;

struct console_state {
    // What the program last wrote, whatever the terminal could show of it.
    console_buffer screen;
    frame_encoder encoder;
    frame_pacer pacer;
    input_decoder decoder;
    terminal_flow flow;
    std::int64_t next_frame_ns = 0;  // the pacer's slot for the next frame
    std::string frame_bytes;
};

console_state& console() {
    static console_state state;
    return state;
}

void follow_terminal_size(console_state& state) {
    if (!terminal_take_repaint_request()) {
        return;
    }
    int cols = 0;
    int rows = 0;
    if (terminal_size(cols, rows)) {
        state.encoder.set_terminal_size(cols, rows);
    }
    state.encoder.invalidate();
}

// Keys for the show, answers for the flow.
void take_input(console_state& state, std::int64_t now) {
    char bytes[256];
    for (std::size_t got; (got = terminal_read(bytes, sizeof bytes)) > 0;) {
        state.decoder.feed(bytes, got, now);
    }
    state.decoder.advance(now);
    state.flow.answered(state.decoder.take_answers(), now);
    terminal_await_answers(state.flow.unanswered());
}

// The next frame may go: the last one has left the show, the terminal has said it has
// it (when it answers at all) and the next display refresh has come.
bool ready_for_frame(const console_state& state, std::int64_t now) {
    return !terminal_output_pending() && !state.flow.busy(now) && now >= state.next_frame_ns;
}

// Waits until the next frame may go, sending the rest of the last one as the terminal
// takes it. A key, a signal or a quit ends the wait at once: the show answers Escape and
// Ctrl+C within a frame however slow the terminal is.
void wait_for_terminal(console_state& state) {
    for (;;) {
        if (!terminal_send_pending()) {
            state.encoder.invalidate();
        }
        const std::int64_t now = monotonic_nanoseconds();
        take_input(state, now);
        if (state.decoder.pending() > 0 || ready_for_frame(state, now)) {
            return;
        }
        // The first moment still ahead at which something changes by time alone: a lone
        // ESC becomes Escape, an overdue answer is given up, the next refresh comes.
        std::int64_t until = std::numeric_limits<std::int64_t>::max();
        for (const std::int64_t moment :
             {state.decoder.wake_at(), state.flow.wake_at(), state.next_frame_ns}) {
            if (moment > now) {
                until = std::min(until, moment);
            }
        }
        if (!terminal_wait(until)) {
            return;
        }
    }
}

// Sends the picture when the terminal is ready for it and otherwise sends nothing: frames
// are skipped, never queued, so the one that goes out is always the latest, rendered
// for the moment being heard.
void present_cells(console_state& state) {
    if (!terminal_follow_job()) {
        // In the background the show goes on unseen, at the pace it would be shown.
        sleep_until_nanoseconds(monotonic_nanoseconds() + background_frame_ns);
        return;
    }
    const std::int64_t now = monotonic_nanoseconds();
    if (terminal_take_request_sent()) {
        state.flow.taken_over(now);
        terminal_await_answers(state.flow.unanswered());
    }
    take_input(state, now);
    if (ready_for_frame(state, now)) {
        follow_terminal_size(state);
        state.frame_bytes.clear();
        state.encoder.encode(state.screen.cells().data(), state.screen.cols(), state.screen.rows(),
                             state.frame_bytes);
        // The answer to this request says the terminal has parsed the whole frame.
        if (state.flow.requesting()) {
            state.frame_bytes += terminal_status_request;
            // Counted before it can go: a stop that comes right after the send still
            // waits for this answer, which would otherwise reach the shell as typed text.
            terminal_await_answers(state.flow.unanswered() + 1);
        }
        if (!terminal_send(state.frame_bytes.data(), state.frame_bytes.size())) {
            // What reached the terminal is unknown now; the next frame is drawn in full.
            state.encoder.invalidate();
        }
        state.flow.frame_sent(now);
        terminal_await_answers(state.flow.unanswered());
        // A console shows at most one picture per display refresh; so does this one.
        // Waiting right after a frame went out means the show reads its clock and renders
        // just before the next refresh, so the picture is as close to the music as it
        // can be.
        state.next_frame_ns = state.pacer.next_slot(monotonic_nanoseconds());
    }
    wait_for_terminal(state);
}

void read_pending_input(console_state& state) {
    if (terminal_follow_job()) {
        take_input(state, monotonic_nanoseconds());
    }
}

}  // namespace

bool alloc_console() {
    if (const result<> taken = terminal_take_over(); !taken) {
        report_at_exit(taken.error());
        return false;
    }
    console().encoder.suit(terminal_capabilities());
    return true;
}

bool free_console() {
    if (!terminal_session_open()) {
        return false;
    }
    terminal_give_back();
    return true;
}

bool console_attached() {
    // Started in the background, the console is there; the terminal is taken over once
    // the show is in the foreground.
    return terminal_session_open();
}

console_handle get_std_handle(std_handle which) {
    return which == std_handle::input ? input_handle : output_handle;
}

bool set_console_title(const char* title) {
    terminal_set_title(title);
    return terminal_session_active();
}

bool set_console_cursor_info(console_handle output, int, bool visible) {
    if (output != output_handle) {
        return false;
    }
    return terminal_show_cursor(visible);
}

bool set_console_window_topmost() {
    return terminal_session_active();
}

bool set_console_screen_buffer_size(console_handle output, console_coord size) {
    if (output != output_handle || !console().screen.resize(size)) {
        return false;
    }
    console().encoder.invalidate();
    return true;
}

bool set_console_window_info(console_handle output, bool, console_rect) {
    // The terminal always shows the whole buffer, centred or clipped; there is no
    // separate window onto it to move.
    return output == output_handle;
}

bool write_console_output(console_handle output, const char_info* cells, console_coord buffer_size,
                          console_coord buffer_origin, console_rect& region) {
    if (output != output_handle || cells == nullptr) {
        return false;
    }
    console_state& state = console();
    region = state.screen.write(cells, buffer_size, buffer_origin, region);
    present_cells(state);
    return terminal_session_active();
}

bool get_number_of_console_input_events(console_handle input, std::uint32_t& count) {
    if (input != input_handle || !terminal_session_active()) {
        return false;
    }
    console_state& state = console();
    read_pending_input(state);
    count = static_cast<std::uint32_t>(state.decoder.pending());
    return true;
}

bool read_console_input(console_handle input, input_record* records, std::uint32_t length,
                        std::uint32_t& read_count) {
    read_count = 0;
    if (input != input_handle || records == nullptr) {
        return false;
    }
    console_state& state = console();
    while (read_count < length && state.decoder.pop(records[read_count])) {
        ++read_count;
    }
    return true;
}
