#pragma once

#include <array>
#include <cstdint>

#include "asciigui/ag_tracked.hpp"
#include "platform/console.hpp"
#include "show/screen_buffer.hpp"

// The console attribute word for a show attribute byte: every bit of the byte sets the
// console flag of the same value (foreground blue, green, red, intensity, then the same
// for the background), so bit 7 means a bright background, never blinking.
std::uint16_t console_attributes(std::uint8_t attribute);

// The surface that owns the process's console: building it opens an 80 x 25 console,
// titled, with the cursor hidden and the window kept on top; present() puts the whole
// show buffer on it in one write. The console calls' results are not looked at: where a
// call cannot be made (no terminal) the show still builds, presents and shuts down.
// Final, so that the runner can delete it through its own type.
class ag_console final : public ag_tracked {
  public:
    static constexpr const char* window_title =
        "[ALT-RETURN] Still squinting at a little window?!!!!!! ";

    ag_console();
    // Gives the console back before the surface's own queues and grid go.
    ~ag_console();
    ag_console(const ag_console&) = delete;
    ag_console& operator=(const ag_console&) = delete;

    // Sizes the console's buffer and window, then the surface; false for a negative
    // size, before any console call.
    bool resize(std::int32_t rows, std::int32_t cols) override;
    // Always true, whatever the surface made of the report.
    bool child_changed(ag_widget* child, std::int32_t row, std::int32_t col, std::int32_t rows,
                       std::int32_t cols) override;
    // Writes all 80 x 25 cells of show_buffer at the top left of the console, whatever
    // the surface's own size.
    bool present() override;

    // The cells of the most recent present, as handed to the console.
    const std::array<char_info, screen_cells>& last_frame() const { return frame_; }

  private:
    console_handle output_;
    // Reused by every present: the frame is rebuilt whole each time, so keeping the
    // array spares an allocation per frame without changing what is written.
    std::array<char_info, screen_cells> frame_{};
};
