#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/vterm_screen.hpp"

// The terminal at the far end of a link: libvterm, fed the program's bytes as the link
// delivers them, with a record of when each frame was complete there. A frame is what
// the program wraps in synchronized-output marks (CSI ?2026h ... CSI ?2026l); its place
// in the byte stream ties it to the moment the program wrote it.
class far_terminal {
  public:
    using clock = std::chrono::steady_clock;

    struct frame {
        std::size_t start = 0;  // offset of its opening mark in the program's byte stream
        std::size_t end = 0;    // offset just past its closing mark
        clock::time_point completed;
    };

    far_terminal(int cols, int rows) : screen_(cols, rows) {}

    // The link delivers bytes to the terminal now.
    void deliver(std::string_view bytes, clock::time_point now) {
        stream_.append(bytes);
        for (;;) {
            const std::size_t at = stream_.find("\x1b[?", search_from_);
            if (at == std::string::npos || at + marker_length > stream_.size()) {
                break;
            }
            const std::string_view mark(stream_.data() + at, marker_length);
            search_from_ = at + 1;
            if (mark == "\x1b[?2026h") {
                feed_to(at + marker_length);
                open_frame_ = at;
            } else if (mark == "\x1b[?2026l") {
                feed_to(at + marker_length);
                if (open_frame_) {
                    frames_.push_back({*open_frame_, at + marker_length, now});
                    open_frame_.reset();
                }
            } else if (mark == "\x1b[?1049l") {
                // The picture the program left on the alternate screen, before it goes.
                feed_to(at);
                last_picture_ = picture();
                feed_to(at + marker_length);
            }
        }
        feed_to(stream_.size());
        if (stream_.size() >= marker_length) {
            search_from_ = std::max(search_from_, stream_.size() - marker_length + 1);
        }
        taken_over_ = taken_over_ || screen_.alternate_screen();
        if (taken_over_ && !given_back_at_ && !screen_.alternate_screen() &&
            screen_.cursor_visible()) {
            given_back_at_ = now;
        }
    }

    // Every cell, row after row.
    std::vector<vterm_screen::cell> picture() const {
        std::vector<vterm_screen::cell> cells;
        for (int y = 0; y < screen_.rows(); ++y) {
            for (int x = 0; x < screen_.cols(); ++x) {
                cells.push_back(screen_.at(x, y));
            }
        }
        return cells;
    }

    const std::vector<frame>& frames() const { return frames_; }
    // When the terminal was back on its main screen with the cursor shown.
    std::optional<clock::time_point> given_back_at() const { return given_back_at_; }
    // The alternate screen's cells as the program left it.
    const std::vector<vterm_screen::cell>& last_picture() const { return last_picture_; }
    std::size_t bytes() const { return stream_.size(); }
    vterm_screen& screen() { return screen_; }

  private:
    static constexpr std::size_t marker_length = 8;

    void feed_to(std::size_t end) {
        if (end > fed_) {
            screen_.feed(stream_.substr(fed_, end - fed_));
            fed_ = end;
        }
    }

    vterm_screen screen_;
    std::string stream_;
    std::size_t fed_ = 0;
    std::size_t search_from_ = 0;
    std::optional<std::size_t> open_frame_;
    std::vector<frame> frames_;
    std::vector<vterm_screen::cell> last_picture_;
    bool taken_over_ = false;
    std::optional<clock::time_point> given_back_at_;
};
