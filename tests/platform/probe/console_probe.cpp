// Takes the terminal over, shows a picture and then leaves the way its argument says:
//   exit23  - exit_process(23) right after the first frame
//   segv    - dies of SIGSEGV
//   trap    - the breakpoint trap
//   throw   - an exception nobody catches
//   loop    - polls input until Escape (exit 42) or a quit message (exit 0), showing
//             a checkerboard of 'A' and 'B' that flips every frame, so that every cell
//             is sent again each time
//   still   - the same, showing the same still picture in every frame
//   beside FILE - the still loop with a thread beside it that holds off no signal, as the
//             show's sound threads do; before the loop every signal is held off, as while
//             a frame goes out, until FILE exists; FILE.held says they are held
#include <pthread.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.hpp"
#include "platform/console.hpp"
#include "platform/messages.hpp"
#include "platform/process.hpp"
#include "tests/platform/probe/still_picture.hpp"

namespace {

void present(const std::vector<char_info>& cells) {
    console_rect region{0, 0, 79, 24};
    write_console_output(get_std_handle(std_handle::output), cells.data(), {80, 25}, {0, 0},
                         region);
}

void present(int frame) {
    std::vector<char_info> cells(80 * 25);
    for (int i = 0; i < 80 * 25; ++i) {
        const int parity = (i % 80 + i / 80 + frame) % 2;
        cells[static_cast<std::size_t>(i)] = {
            static_cast<std::uint16_t>(frame < 0 ? 'P' : 'A' + parity), 0x1E};
    }
    present(cells);
}

std::vector<char_info> still_picture() {
    std::vector<char_info> cells(still_cols * still_rows);
    for (int y = 0; y < still_rows; ++y) {
        for (int x = 0; x < still_cols; ++x) {
            cells[static_cast<std::size_t>(y * still_cols + x)] = {still_code(x, y),
                                                                   still_attribute};
        }
    }
    return cells;
}

[[noreturn]] void loop(bool still) {
    const std::vector<char_info> picture = still_picture();
    const console_handle input = get_std_handle(std_handle::input);
    message msg;
    for (int frame = 0;; ++frame) {
        std::uint32_t pending = 0;
        get_number_of_console_input_events(input, pending);
        std::vector<input_record> records(pending);
        std::uint32_t read = 0;
        read_console_input(input, records.data(), pending, read);
        for (std::uint32_t i = 0; i < read; ++i) {
            if (records[i].key.virtual_key_code == vk_escape) {
                exit_process(42);
            }
        }
        if (peek_message(msg) && get_message(msg) == 0) {
            free_console();
            exit_process(0);
        }
        if (still) {
            present(picture);
        } else {
            present(frame);
        }
        const std::int64_t until = monotonic_nanoseconds() + 5'000'000;
        while (monotonic_nanoseconds() < until) {
        }
    }
}

// Holds every signal off until `released` exists, with a thread beside that lets them all in.
void hold_signals_beside_a_thread(const std::string& released) {
    std::thread([] {
        for (;;) {
            pause();
        }
    }).detach();
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    std::ofstream{released + ".held"}.close();
    const std::int64_t give_up = monotonic_nanoseconds() + 20'000'000'000;
    while (!std::filesystem::exists(released) && monotonic_nanoseconds() < give_up) {
        usleep(10'000);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    report_as("console_probe");
    const std::string mode = argc > 1 ? argv[1] : "loop";
    if (!alloc_console()) {
        exit_process(1);
    }
    set_console_title("console probe");
    set_console_screen_buffer_size(get_std_handle(std_handle::output), {80, 25});
    present(-1);
    if (mode == "exit23") {
        exit_process(23);
    }
    if (mode == "segv") {
        std::raise(SIGSEGV);
    }
    if (mode == "trap") {
        breakpoint_trap();
    }
    if (mode == "throw") {
        throw std::runtime_error("nobody catches this");
    }
    if (mode == "beside" && argc > 2) {
        hold_signals_beside_a_thread(argv[2]);
    }
    loop(mode == "still" || mode == "beside");
}
