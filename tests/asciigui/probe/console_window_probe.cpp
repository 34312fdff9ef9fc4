// Opens the show's console window on the terminal and presents one picture in which every
// attribute byte appears, then waits for a key: Escape leaves with 42, any other key
// destroys the window in order and leaves with 0. The picture is the test's yardstick
// for colours carried all the way from the window to the terminal's cells.

#include <cstdint>

#include "asciigui/ag_console.hpp"
#include "platform/clock.hpp"
#include "platform/console.hpp"
#include "platform/process.hpp"

int main() {
    static ag_picture picture{};
    for (int cell = 0; cell < ag_console_cells; ++cell) {
        picture[static_cast<std::size_t>(2 * cell)] = static_cast<std::uint8_t>('A' + cell % 26);
        picture[static_cast<std::size_t>(2 * cell + 1)] = static_cast<std::uint8_t>(cell % 256);
    }
    auto* window = new ag_console(picture);
    if (!console_attached()) {
        exit_process(1);
    }
    window->present();
    const console_handle input = get_std_handle(std_handle::input);
    for (;;) {
        std::uint32_t pending = 0;
        std::uint32_t read = 0;
        input_record record;
        get_number_of_console_input_events(input, pending);
        read_console_input(input, &record, 1, read);
        if (read == 1 && record.event_type == key_event_type) {
            if (record.key.virtual_key_code == vk_escape) {
                exit_process(42);
            }
            delete window;
            exit_process(0);
        }
        sleep_until_nanoseconds(monotonic_nanoseconds() + 5'000'000);
    }
}
