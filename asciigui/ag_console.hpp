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

// The console is always the show's grid. A picture for it is the show's picture format:
// each cell a code page 437 character byte followed by its attribute byte, in reading
// order.
inline constexpr int ag_console_cols = screen_cols;
inline constexpr int ag_console_rows = screen_rows;
inline constexpr int ag_console_cells = screen_cells;
using ag_picture = screen_buffer;

// The picture as the console's cells: each character as it is, each attribute as the
// console's flags. Whatever shows the picture as a console would (the console window,
// a recording of the terminal, a benchmark) starts from these cells.
void ag_picture_cells(const ag_picture& picture, char_info* cells);

// The surface that owns the process's console: building it opens an 80 x 25 console,
// titled, with the cursor hidden and the window kept on top; present() puts the whole
// picture it was built for on it in one write. The picture is the caller's (the show's
// one buffer), so this library never reaches up into the show to find it. The console calls'
// results are not looked at: where a call cannot be made (no terminal) the show still builds,
// presents and shuts down. Final, so that the runner can delete it through its own type.
class ag_console final : public ag_tracked {
  public:
    static constexpr const char* window_title =
        "[ALT-RETURN] Still squinting at a little window?!!!!!! ";

    explicit ag_console(const ag_picture& picture);
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
    // Writes all 80 x 25 cells of the picture at the top left of the console, whatever
    // the surface's own size.
    bool present() override;

    // The cells of the most recent present, as handed to the console.
    const std::array<char_info, ag_console_cells>& last_frame() const { return frame_; }

  private:
    const ag_picture& picture_;
    console_handle output_;
    // Reused by every present: the frame is rebuilt whole each time, so keeping the
    // array spares an allocation per frame without changing what is written.
    std::array<char_info, ag_console_cells> frame_{};
};
